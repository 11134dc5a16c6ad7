#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace kestra::report {

// Font weights of the report's two faces.
inline constexpr int kNormalWeight = 400;
inline constexpr int kBoldWeight = 700;

// A text line is cut to this many characters when read back, whatever the file holds.
inline constexpr std::size_t kMaxPageLineLength = 4096;

struct PageLine {
    std::string text;
    int weight = kNormalWeight;

    bool bold() const { return weight == kBoldWeight; }
    friend bool operator==(const PageLine&, const PageLine&) = default;
};

using Page = std::vector<PageLine>;

// Reads a page file back. Reading stops at "E" or at the end of the file, whichever comes first; a line with an
// unknown code is passed over.
class PageReader {
  public:
    // Page `index` (0 for the first), found by counting "P" lines from the file's start as printing does. False
    // when the file has no such page: beyond the last page, or a last page that holds no line.
    static bool read_page(std::istream& in, std::size_t index, Page& page);
    static bool read_page_file(const std::string& path, std::size_t index, Page& page);

    // Every page in order; a last page that holds no line is not counted.
    static void read_pages(std::istream& in, std::vector<Page>& pages);
    // The same from a file; false when it cannot be read.
    static bool read_page_file(const std::string& path, std::vector<Page>& pages);
};

}  // namespace kestra::report
