#pragma once

#include <QFont>
#include <functional>
#include <string>

class QPaintDevice;
class QPainter;

namespace kestra::ui {

// The report's two faces made for one device: "Courier New" at 12 points with the typewriter hint (Liberation
// Mono where that face is missing), normal and bold (700), and the distance from one line to the next.
struct ReportFonts {
    QFont normal;
    QFont bold;
    int line_height = 0;  // device units
    int ascent = 0;
};

ReportFonts report_fonts(const QPaintDevice& device);

// The report lines one page of the device holds, its printable height over the line height; 0 when not one line
// fits.
int report_lines_per_page(const QPaintDevice& device);

// Draws pages `first` to `last` (numbered from 1) of the page file, one per sheet, calling `new_page` between
// two of them (false from it ends the job). Each page is read afresh from the file's start. Lines go from the top
// of the printable area at the left margin, one line height apart, whole: a line wider than the page is clipped by
// the device, never wrapped. A page past the report's end ends the job without a sheet for it. Returns the pages
// drawn.
int paint_report(QPainter& painter, const ReportFonts& fonts, const std::string& page_path, int first, int last,
                 const std::function<bool()>& new_page);

}  // namespace kestra::ui
