#include "report/page_geometry.h"

namespace kestra::report {

int lines_per_page(int printable_height, int line_height) {
    if (line_height < 1 || printable_height < line_height) return 0;
    return printable_height / line_height;
}

PageRange clamp_page_range(bool ranged, int from, int to, int pages) {
    if (pages < 1) return {1, 0};
    if (!ranged) return {1, pages};
    PageRange range{from < 1 ? 1 : from, to < 1 || to > pages ? pages : to};
    if (range.first > pages) range = {1, 0};
    return range;
}

}  // namespace kestra::report
