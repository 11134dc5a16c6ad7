#include "report/page_writer.h"

namespace kestra::report {

PageWriter::PageWriter(int lines_per_page) : lines_per_page_(lines_per_page < 1 ? 1 : lines_per_page) {}

void PageWriter::line(char code, std::string_view text) {
    if (ended_) return;
    text_ += code;
    // A line break inside a text would be read back as a line of its own with a made-up code.
    for (char c : text) text_ += (c == '\n' || c == '\r') ? ' ' : c;
    text_ += '\n';
    if (++line_count_ >= lines_per_page_) {
        text_ += "P\n";
        line_count_ = 0;
        ++full_pages_;
    }
}

void PageWriter::normal(std::string_view text) {
    line('N', text);
}

void PageWriter::bold(std::string_view text) {
    line('B', text);
}

void PageWriter::page_break() {
    if (ended_ || line_count_ == 0) return;
    text_ += "P\n";
    line_count_ = 0;
    ++full_pages_;
}

void PageWriter::end() {
    if (ended_) return;
    text_ += "E\n";
    ended_ = true;
}

}  // namespace kestra::report
