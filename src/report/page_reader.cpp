#include "report/page_reader.h"

#include <fstream>
#include <istream>

namespace kestra::report {

namespace {

enum class Code { line, page_end, report_end, unknown };

// One line of the file, cut to the longest text kept; the rest of an over-long line is skipped.
bool next_line(std::istream& in, std::string& line) {
    line.clear();
    std::istream::int_type c;
    bool any = false;
    while ((c = in.get()) != std::istream::traits_type::eof()) {
        any = true;
        if (c == '\n') break;
        if (line.size() <= kMaxPageLineLength) line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

Code classify(const std::string& raw, PageLine& out) {
    if (raw.empty()) return Code::unknown;
    switch (raw[0]) {
        case 'N':
        case 'B':
            out.weight = raw[0] == 'B' ? kBoldWeight : kNormalWeight;
            out.text = raw.substr(1, kMaxPageLineLength);
            return Code::line;
        case 'P':
            return Code::page_end;
        case 'E':
            return Code::report_end;
        default:
            return Code::unknown;
    }
}

}  // namespace

bool PageReader::read_page(std::istream& in, std::size_t index, Page& page) {
    page.clear();
    std::string raw;
    std::size_t current = 0;
    PageLine line;
    while (next_line(in, raw)) {
        switch (classify(raw, line)) {
            case Code::line:
                if (current == index) page.push_back(line);
                break;
            case Code::page_end:
                if (current == index) return true;
                ++current;
                break;
            case Code::report_end:
                return current == index && !page.empty();
            case Code::unknown:
                break;
        }
    }
    return current == index && !page.empty();
}

bool PageReader::read_page_file(const std::string& path, std::size_t index, Page& page) {
    page.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    return read_page(in, index, page);
}

void PageReader::read_pages(std::istream& in, std::vector<Page>& pages) {
    pages.clear();
    std::string raw;
    Page current;
    PageLine line;
    while (next_line(in, raw)) {
        const Code code = classify(raw, line);
        if (code == Code::report_end) break;
        if (code == Code::line)
            current.push_back(line);
        else if (code == Code::page_end) {
            pages.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) pages.push_back(std::move(current));
}

bool PageReader::read_page_file(const std::string& path, std::vector<Page>& pages) {
    pages.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    read_pages(in, pages);
    return true;
}

}  // namespace kestra::report
