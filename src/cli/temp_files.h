#pragma once

#include <string>

namespace kestra::cli {

// Temporary files (the report's page file, an archive being written) that must not outlive the program when an
// interrupt or a termination request ends it. The handlers remove every registered file and then end the program
// by the same signal, so its exit status still says what ended it.
void install_temp_file_cleanup();

// Registers a file for the life of the object. Only a bounded number can be registered at once; a file beyond
// that is simply not removed on a signal.
class TempFileGuard {
  public:
    explicit TempFileGuard(const std::string& path);
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

  private:
    int slot_ = -1;
};

}  // namespace kestra::cli
