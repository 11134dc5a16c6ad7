#pragma once

#include <string>
#include <string_view>

namespace kestra::report {

// The report's page file: a file of its own in the temporary directory, named "kba" and a unique suffix, that
// lives as long as its owner and is deleted with it.
class CPageFile {
  public:
    CPageFile() = default;
    CPageFile(const CPageFile&) = delete;
    CPageFile& operator=(const CPageFile&) = delete;
    ~CPageFile();

    // Makes the file in `directory`, or in the system's temporary directory when empty. False, with error() set
    // to "Bad path %s" or "Error opening %s = %d", when it cannot be made; a file made earlier is deleted first.
    bool create(const std::string& directory = {});
    // Empties the file and writes `text` into it. False with error() as for create(), or "Error writing %s = %d"
    // when the disk refuses the text.
    bool write(std::string_view text);
    // Deletes the file now; safe to call when there is none.
    void remove();

    bool exists() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

  private:
    bool fail_open(const std::string& path, int cause);

    std::string path_;
    std::string error_;
};

}  // namespace kestra::report
