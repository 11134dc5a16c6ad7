#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/host_file_attributes.h"

namespace kestra::archive {

// Request codes of the file transfer.
constexpr int kGetFileRequest = 57;     // first reply carries the extra block
constexpr int kGetFileOldRequest = 49;  // for hosts that refuse 57
constexpr int kPutFileRequest = 50;

constexpr const char* kCannotGetFile = "Cannot get file";
constexpr const char* kCannotPutFile = "Cannot put file";

// Appends each byte as two lower-case hexadecimal digits ("%2.2x").
void hex_encode(std::span<const std::uint8_t> bytes, std::string& out);
// Appends the bytes of a run of hexadecimal digit pairs (either case). An odd count or a non-hex digit fails and
// appends nothing.
bool hex_decode(std::string_view digits, std::vector<std::uint8_t>& out);

// Data bytes one put request may carry: (data limit - 1) / 2, the "0" field and two digits per byte. Zero when
// the limit leaves no room; a caller must refuse to send data then rather than loop.
std::size_t put_chunk_size(std::size_t data_limit);

// Whole percent done, computed without overflow; a size of 0 (and anything at or past the size) is 100.
int progress_percent(std::uint64_t done, std::uint64_t size);

// Whether a refusal of request 57 is the older host's "[Kestra]INVALID COMMAND", which means: retry with 49.
bool is_invalid_command_refusal(std::string_view reply_text);

// Body of the first get request (57 or 49): "0", the name's length in 3 digits, the name.
std::string encode_get_first_body(std::string_view host_file_name);
// Body of every later get request.
inline std::string encode_get_data_body() { return "0"; }

// The first get reply after its status digit: for 57 the extra block (3-digit length L and L bytes), then the
// attribute block; for 49 the attribute block alone, the extra block being empty.
bool decode_get_first_reply(std::string_view reply, bool with_extra_block, std::string& extra,
                            HostFileAttributes& attrs, std::string& error);

// A later get reply after its status digit, decoded into `out` (replacing its contents). At most `due` bytes are
// kept, so a host that sends more than it announced cannot push the archive past the file; a reply with no bytes
// while bytes are due, an odd digit count or a non-hex digit fails.
bool decode_get_data_reply(std::string_view reply, std::uint64_t due, std::vector<std::uint8_t>& out);

// Body of the first put request: "0", the name, the attribute block and, for an archive of version above 1, the
// extra block's 3-digit length and bytes.
std::string encode_put_first_body(std::string_view host_file_name, const HostFileAttributes& attrs,
                                  std::string_view extra, bool with_extra_block);
// Body of a put data request: "0" and the chunk in lower-case hexadecimal.
std::string encode_put_data_body(std::span<const std::uint8_t> chunk);

// Host file names from a list file, one a line (CR LF or LF, surrounding blanks removed, empty lines skipped).
// Reading stops after kMaxArchiveFiles + 1 names, one more than any archive can take, so the limit is still
// reported. Fails with "Cannot open list file %s" when the file cannot be opened.
bool read_list_file(const std::string& path, std::vector<std::string>& names, std::string& error);

}  // namespace kestra::archive
