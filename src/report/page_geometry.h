#pragma once

namespace kestra::report {

inline constexpr const char* kPageTooSmall = "The printer page cannot hold one line of the report";

// The report lines that fit on a page: whole lines of `line_height` in `printable_height`, both in the device's
// units. 0 when not one line fits, or when there is no line height to divide by (no font).
int lines_per_page(int printable_height, int line_height);

// Pages to print, numbered from 1, both ends included; empty when first > last.
struct PageRange {
    int first = 1;
    int last = 0;

    bool empty() const { return first > last; }
    int count() const { return empty() ? 0 : last - first + 1; }
};

// What a printer dialog asked for, cut to the report's `pages`: the whole report unless `ranged`, else from..to
// with an end of 0 (none given) or past the report meaning its last page. A range that starts past the report is
// empty.
PageRange clamp_page_range(bool ranged, int from, int to, int pages);

}  // namespace kestra::report
