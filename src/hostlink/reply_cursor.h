#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestra::hostlink {

// Reads a reply's data, never past the received length. Reading past the end gives a non-digit (numbers come
// out short) and text elements that would run past it fail, so a short reply can be told from a whole one.
class ReplyCursor {
  public:
    ReplyCursor() = default;
    ReplyCursor(const char* data, std::size_t length) : data_(data), length_(data != nullptr ? length : 0) {}

    std::size_t remaining() const { return length_ - at_; }
    bool at_end() const { return at_ >= length_; }
    std::size_t offset() const { return at_; }
    const char* position() const { return data_ + at_; }
    std::string_view rest() const { return {data_ + at_, remaining()}; }

    // The next byte, or '\0' at the end; peek leaves it in place.
    char peek() const { return at_end() ? '\0' : data_[at_]; }
    char take() { return at_end() ? '\0' : data_[at_++]; }

    // A number of `width` characters; moves on by the width, or to the end when less remains.
    std::uint32_t number(std::size_t width);
    // A "0"/"1" flag of one character: true for "1".
    bool flag() { return take() == '1'; }
    // A 3-digit length and that many characters. False, with the cursor at the end, when the text runs past it.
    bool text(std::string& out);
    // `count` raw characters. False, with the cursor at the end, when fewer remain.
    bool raw(std::size_t count, std::string& out);
    bool skip(std::size_t count);

  private:
    const char* data_ = nullptr;
    std::size_t length_ = 0;
    std::size_t at_ = 0;
};

}  // namespace kestra::hostlink
