#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestra::configsvc {

// Why a BodyWriter stopped accepting elements.
enum class BodyError {
    none,
    no_room,          // the element would run past the buffer's capacity
    text_too_long,    // a text longer than its 3-digit length can say
    negative_number,  // numbers on the wire have no sign
    bad_width,        // a number width outside 1 to 20
};

// Builds a request body in a caller's buffer (the session's message buffer at offset 14, capacity = data limit).
// Nothing is ever written past the capacity: an element that would not fit, or is refused, leaves the body as it
// was and stops the writer, so a failed body can never be sent by mistake as if whole.
class BodyWriter {
public:
    BodyWriter(char* buffer, std::size_t capacity);

    // N(w) through the number writer: a value wider than w keeps its leading w digits.
    bool number(std::int64_t value, std::size_t width);
    // N(w) through a "%0*d" format: a value wider than w is written whole.
    bool number_whole(std::int64_t value, std::size_t width);
    // F(1): "1" when set, else "0".
    bool flag(bool value);
    // S: N(3) length and the characters.
    bool text(std::string_view value);
    // Characters as they are.
    bool raw(std::string_view chars);
    // One byte as it is (the 0x00 / 0x01 mark bytes).
    bool byte(std::uint8_t value);
    // The "." that ends a body.
    bool stop();

    // Upper-cases the ASCII letters a-z of what has been written, or of [begin, end) of it; other bytes stay.
    void upper_case();
    void upper_case(std::size_t begin, std::size_t end);

    // Bytes written; counted, so mark bytes of 0x00 inside the body do not shorten it.
    std::size_t length() const { return length_; }
    std::size_t capacity() const { return capacity_; }
    std::size_t room() const { return capacity_ - length_; }
    bool ok() const { return error_ == BodyError::none; }
    BodyError error() const { return error_; }
    const char* data() const { return buffer_; }
    std::string_view view() const { return {buffer_, length_}; }

private:
    bool put(std::string_view chars);
    bool fail(BodyError error);

    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    BodyError error_ = BodyError::none;
};

// A text for a diagnostic about why a body could not be built.
std::string_view body_error_text(BodyError error);

}  // namespace kestra::configsvc
