#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/page_reader.h"

namespace kestra::report {

// The report as a PDF 1.4 document: the standard Courier and Courier-Bold faces (not embedded, WinAnsi encoding)
// at 12 points, 13.6 points from one line to the next, 36 points of margin all round. The document carries no
// date or other varying data, so the same page file always gives the same bytes.
enum class PaperSize { a4, letter };

inline constexpr int kPdfFontSize = 12;
inline constexpr int kPdfLineHeightTenths = 136;  // 13.6 points
inline constexpr int kPdfMargin = 36;

struct PdfPaper {
    int width;   // points
    int height;  // points
};

PdfPaper pdf_paper(PaperSize paper);
// The report lines one page holds: floor((height - 2 * margin) / 13.6).
int pdf_lines_per_page(PaperSize paper);
// "a4" or "letter", in any case; false for anything else.
bool parse_paper_size(std::string_view text, PaperSize& paper);
const char* paper_size_name(PaperSize paper);

// The document of these pages, in order. No page at all still gives one blank page, which every reader opens.
// A line is drawn whole, however long: what runs past the page's edge is clipped by the reader, never wrapped.
std::string make_pdf(const std::vector<Page>& pages, PaperSize paper);

// Reads the page file as printing does ("E" or the end of the file ends it, unknown codes are passed over, a
// line is at most kMaxPageLineLength) and makes its document. False, with "Error opening %s = %d" in `error`, when
// the page file cannot be read.
bool page_file_to_pdf(const std::string& page_path, PaperSize paper, std::string& pdf, std::string& error);

}  // namespace kestra::report
