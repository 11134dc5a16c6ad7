#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::hostsim {

// Every request the host received, in order of arrival over all connections: for tests that check what the PC
// sent (a logout on closing, say) without reading the wire. Kept in memory and, with --request-log, appended to a
// file as it comes, one line per request: kind, code and body, bytes outside printable ASCII as \xHH.
class RequestLog {
  public:
    struct Entry {
        int kind = 0;
        int code = 0;
        std::string body;
    };

    // Opens (and empties) the file; false when it cannot be written.
    bool open_file(const std::string& path);
    void add(int kind, int code, std::string_view body);

    std::vector<Entry> entries() const;
    // How many requests of that kind and code arrived.
    std::size_t count(int kind, int code) const;
    void clear();

    // The line the file gets for an entry.
    static std::string format(const Entry& entry);

  private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{nullptr, &std::fclose};
};

}  // namespace kestra::hostsim
