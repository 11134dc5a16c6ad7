#pragma once

#include <ostream>
#include <streambuf>

namespace kestra::cli {

// Text output with its control characters shown escaped (\x1b, \r, \t ...), except the line ends and the form
// feeds between report pages that the program writes itself. Whatever a host text holds, it cannot rewrite the
// terminal; names are escaped where they are printed, so they cannot start a line either (shown()).
class EscapingStreambuf : public std::streambuf {
  public:
    explicit EscapingStreambuf(std::ostream& target) : target_(target) {}

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

  private:
    std::ostream& target_;
};

// An ostream over EscapingStreambuf.
class EscapingOutput : public std::ostream {
  public:
    explicit EscapingOutput(std::ostream& target) : std::ostream(nullptr), buffer_(target) { rdbuf(&buffer_); }

  private:
    EscapingStreambuf buffer_;
};

}  // namespace kestra::cli
