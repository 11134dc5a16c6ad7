#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestra::hostsim {

// Reads a request body the way the host does: fixed-width numbers, "0"/"1" flags, texts with a
// 3-digit length. Every read is bounded by the body; the first failure sticks, so a handler may
// read everything and check ok() once.
class BodyReader {
public:
    explicit BodyReader(std::string_view body) : body_(body) {}

    bool number(std::size_t width, std::int64_t& out);
    bool number(std::size_t width, int& out);
    bool flag(bool& out);
    bool text(std::string& out);              // S: N(3) length, then that many characters
    bool raw(std::size_t count, std::string& out);
    bool raw_until(char stop, std::string& out);   // consumes the stop character too
    bool dot();                                // a single "."

    std::string_view rest() const { return body_.substr(pos_); }
    std::size_t position() const { return pos_; }
    bool at_end() const { return pos_ == body_.size(); }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& what);

    std::string_view body_;
    std::size_t pos_ = 0;
    bool ok_ = true;
    std::string error_;
};

// Builds reply data. Numbers too wide for their field are a host bug, so they are cut to the
// width's largest value rather than shifting every later element.
class BodyWriter {
public:
    BodyWriter& number(std::int64_t value, std::size_t width);
    BodyWriter& flag(bool value);
    BodyWriter& text(std::string_view value);   // texts over 999 characters are cut
    BodyWriter& raw(std::string_view value);
    BodyWriter& ch(char c);

    const std::string& data() const { return data_; }
    std::string take() { return std::move(data_); }

private:
    std::string data_;
};

}  // namespace kestra::hostsim
