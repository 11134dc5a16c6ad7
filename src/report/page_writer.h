#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestra::report {

// Builds the text of a page file: "N" and "B" lines, "P" where a page ends and "E" at the end. After every line
// written the page's line counter is checked against the lines per page, so a full page ends by itself.
class PageWriter {
  public:
    // `lines_per_page` must be at least 1 (callers refuse anything less before building a writer); a lower value is
    // taken as 1 so that every line still lands on a page.
    explicit PageWriter(int lines_per_page);

    void normal(std::string_view text);
    void bold(std::string_view text);
    void blank() { normal({}); }
    // Ends the page unless nothing has been written on it yet, so a break never leaves an empty page behind.
    void page_break();
    // Writes "E"; nothing can be added afterwards.
    void end();

    int lines_per_page() const { return lines_per_page_; }
    int lines_used() const { return line_count_; }
    int lines_left() const { return lines_per_page_ - line_count_; }
    // Pages holding at least one line: the range a printer may be asked for.
    int page_count() const { return full_pages_ + (line_count_ > 0 ? 1 : 0); }
    bool ended() const { return ended_; }
    const std::string& text() const { return text_; }

  private:
    void line(char code, std::string_view text);

    std::string text_;
    int lines_per_page_;
    int line_count_ = 0;
    int full_pages_ = 0;
    bool ended_ = false;
};

}  // namespace kestra::report
