#include "host_message.h"

#include "body_codec.h"

namespace kestra::hostsim {
namespace {

bool read_digits(std::string_view text, std::size_t& out) {
    std::size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    out = value;
    return true;
}

}  // namespace

HeaderStatus parse_request(std::string_view frame, RequestHeader& header, std::string_view& body) {
    if (frame.size() < kHeaderSize || frame.substr(0, 3) != "#@!") return HeaderStatus::not_host_message;
    std::size_t kind = 0;
    std::size_t code = 0;
    std::size_t length = 0;
    if (!read_digits(frame.substr(6, 1), kind) || !read_digits(frame.substr(7, 3), code) ||
        !read_digits(frame.substr(10, 4), length)) {
        return HeaderStatus::bad_header;
    }
    header.sequence = frame[3];
    header.kind = static_cast<int>(kind);
    header.code = static_cast<int>(code);
    header.length = length;
    if (length > frame.size() - kHeaderSize) {
        body = frame.substr(kHeaderSize);
        return HeaderStatus::length_past_frame;
    }
    body = frame.substr(kHeaderSize, length);
    return HeaderStatus::ok;
}

std::string build_message(char sequence, int kind, int code, std::string_view data, std::size_t declared_length) {
    BodyWriter w;
    w.raw("#@!").ch(sequence).raw("00").number(kind, 1).number(code, 3);
    w.number(static_cast<std::int64_t>(declared_length), 4).raw(data);
    return w.take();
}

std::string refusal_data(char status, const std::vector<ErrorRecord>& records) {
    BodyWriter w;
    w.ch(status);
    for (const auto& r : records) {
        w.number(r.index, 4).number(static_cast<std::int64_t>(r.text.size()), 4).raw(r.text);
    }
    w.raw("0000");
    return w.take();
}

bool split_list(std::string_view head, const std::vector<std::string>& entries, std::size_t data_limit,
                std::vector<std::string>& messages) {
    messages.clear();
    if (head.size() > data_limit) return false;
    std::string current(head);
    bool current_has_entry = false;
    for (const auto& entry : entries) {
        if (entry.size() > data_limit) return false;
        if (current.size() + entry.size() > data_limit) {
            // The first message must carry at least one entry after the head, or the PC would read
            // a count with nothing behind it and an entry where it expects the next head.
            if (messages.empty() && !current_has_entry) return false;
            messages.push_back(std::move(current));
            current.clear();
        }
        current += entry;
        current_has_entry = true;
    }
    messages.push_back(std::move(current));
    return true;
}

}  // namespace kestra::hostsim
