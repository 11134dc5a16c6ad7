#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::hostsim {

constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kMaxDataLength = 9999;

struct RequestHeader {
    char sequence = ' ';
    int kind = 0;
    int code = 0;
    std::size_t length = 0;
};

enum class HeaderStatus {
    ok,
    not_host_message,     // no "#@!" or shorter than a header: not meant for us
    bad_header,           // "#@!" but the kind, code or length are not digits
    length_past_frame,    // the header claims more data than the frame carried
};

// Splits one received frame into its header and body. The body is the header's length of data,
// never more than the frame holds.
HeaderStatus parse_request(std::string_view frame, RequestHeader& header, std::string_view& body);

// One outgoing message: "#@!", sequence, station "00", kind, code, declared length, data.
std::string build_message(char sequence, int kind, int code, std::string_view data, std::size_t declared_length);
inline std::string build_message(char sequence, int kind, int code, std::string_view data) {
    return build_message(sequence, kind, code, data, data.size());
}

struct ErrorRecord {
    int index = 3;
    std::string text;
};

// Reply data for a refusal: the status digit, each record as N(4) index, N(4) length, text,
// and the closing "0000".
std::string refusal_data(char status, const std::vector<ErrorRecord>& records);

// Packs a list reply into messages of at most data_limit characters: the first carries head
// (status and count) and the entries that fit whole, each further one whole entries only.
// False when an entry, or the head with the first entry, cannot fit in one message.
bool split_list(std::string_view head, const std::vector<std::string>& entries, std::size_t data_limit,
                std::vector<std::string>& messages);

}  // namespace kestra::hostsim
