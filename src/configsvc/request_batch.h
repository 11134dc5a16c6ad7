#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "configsvc/body_writer.h"

namespace kestra::configsvc {

// Posted with index 13 when an add request finds nothing new to send.
inline constexpr const char* kNothingToAdd = "Nothing to add";

// Builds one entry of a batched request on its own, bounded by `room` (what an empty message leaves for entries).
// False when the entry could not be built whole: too long for an empty message, a text over 999 characters, a
// negative number. Requests build every entry this way before the first message goes out.
template <typename Write>
bool encode_entry(std::size_t room, std::string& out, Write write) {
    std::vector<char> scratch(room + 1);
    BodyWriter w(scratch.data(), room);
    write(w);
    if (!w.ok()) return false;
    out.assign(w.view());
    return true;
}

// The end of the run of whole entries from `begin` that fits `room` characters and `max_count` entries; at least
// one entry is taken, since every entry was built within the room.
inline std::size_t batch_end(const std::vector<std::string>& entries, std::size_t begin, std::size_t room,
                             std::size_t max_count) {
    std::size_t used = 0;
    std::size_t end = begin;
    while (end < entries.size() && end - begin < max_count) {
        if (end > begin && used + entries[end].size() > room) break;
        used += entries[end].size();
        ++end;
    }
    return end;
}

}  // namespace kestra::configsvc
