#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestra::configsvc {

// Reads the elements of one received reply. The cursor never passes the received length: the end of the data reads
// as a non-digit, and an element cut short by the end marks the reader failed (a later read gives 0 / false and
// leaves the cursor where it is), so a short or lying reply can not make anyone read past what arrived.
class ReplyReader {
public:
    ReplyReader() = default;
    ReplyReader(const char* data, std::size_t length);
    explicit ReplyReader(std::string_view data) : ReplyReader(data.data(), data.size()) {}

    // Starts over on another message (a continuation of a list).
    void reset(const char* data, std::size_t length);

    // N(w) through the number reader: blanks before the digits are skipped inside the width, reading stops at the
    // first non-digit, and the cursor moves on by the whole width. Widths above 9 read as far as 9 digits here;
    // number_wide() takes the 10-digit row counts.
    std::uint32_t number(std::size_t width);
    std::uint64_t number_wide(std::size_t width);
    // F(1): set only for "1".
    bool flag();
    // S: N(3) length and that many characters. When the length runs past the end, `out` is left alone.
    bool text(std::string& out);
    // Moves on by `count` characters (e.g. the status digit after it was mapped).
    bool skip(std::size_t count);

    std::size_t position() const { return position_; }
    std::size_t remaining() const { return length_ - position_; }
    bool at_end() const { return position_ >= length_; }
    bool failed() const { return failed_; }
    // What has not been read yet.
    std::string_view rest() const { return {data_ + position_, remaining()}; }

private:
    std::uint64_t read_digits(std::size_t width, std::size_t max_digits);

    const char* data_ = "";
    std::size_t length_ = 0;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace kestra::configsvc
