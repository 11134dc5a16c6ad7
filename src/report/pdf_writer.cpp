#include "report/pdf_writer.h"

#include <cerrno>
#include <cstdio>

namespace kestra::report {

namespace {

// Objects 1 to 4 are fixed; each page then takes two, its dictionary and its content stream.
constexpr int kCatalogObject = 1;
constexpr int kPagesObject = 2;
constexpr int kNormalFontObject = 3;
constexpr int kBoldFontObject = 4;
constexpr int kFirstPageObject = 5;

// The first baseline sits 10 points below the top margin: Courier's ascent at 12 points and a little of the
// leading, so the first line's capitals touch the margin rather than cross it.
constexpr int kFirstBaselineDropTenths = 100;

// A non-negative number of tenths as PDF writes it: "13.6", "796".
std::string tenths(int value) {
    std::string text = std::to_string(value / 10);
    if (value % 10 != 0) text += "." + std::to_string(value % 10);
    return text;
}

// One report line as a PDF string. The bytes are host text, Latin-1: the printable ASCII and the upper half from
// no-break space on are the same characters in WinAnsi; control characters and the C1 range have no glyph there
// and print as "?". The upper half goes out as octal escapes, so the file stays 7-bit past its header.
std::string pdf_string(std::string_view text) {
    std::string out = "(";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '(' || byte == ')' || byte == '\\') {
            out += '\\';
            out += ch;
        } else if (byte >= 0x20 && byte <= 0x7E) {
            out += ch;
        } else if (byte >= 0xA0) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned>(byte));
            out += escape;
        } else {
            out += '?';
        }
    }
    out += ')';
    return out;
}

std::string content_stream(const Page& page, const PdfPaper& paper) {
    std::string s = "BT\n/F1 " + std::to_string(kPdfFontSize) + " Tf\n" + tenths(kPdfLineHeightTenths) + " TL\n" +
                    std::to_string(kPdfMargin) + " " +
                    tenths(paper.height * 10 - kPdfMargin * 10 - kFirstBaselineDropTenths) + " Td\n";
    bool bold = false;
    bool first = true;
    for (const PageLine& line : page) {
        if (!first) s += "T*\n";
        first = false;
        // A blank line only moves down; the face changes where there is text to draw in it.
        if (line.text.empty()) continue;
        if (line.bold() != bold) {
            bold = line.bold();
            s += std::string(bold ? "/F2 " : "/F1 ") + std::to_string(kPdfFontSize) + " Tf\n";
        }
        s += pdf_string(line.text) + " Tj\n";
    }
    s += "ET\n";
    return s;
}

class PdfDocument {
  public:
    explicit PdfDocument(std::size_t objects) : offsets_(objects + 1, 0) {
        // The comment of four bytes above 127 tells transfer programs that the file is binary.
        out_ = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    }

    void object(int number, const std::string& body) {
        offsets_[static_cast<std::size_t>(number)] = out_.size();
        out_ += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    }

    void stream(int number, const std::string& data) {
        object(number, "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "endstream");
    }

    std::string finish() {
        const std::size_t xref = out_.size();
        out_ += "xref\n0 " + std::to_string(offsets_.size()) + "\n";
        // Every entry is exactly 20 bytes, its end of line being a space and a line feed.
        out_ += "0000000000 65535 f \n";
        for (std::size_t i = 1; i < offsets_.size(); ++i) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets_[i]);
            out_ += entry;
        }
        out_ += "trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root " + std::to_string(kCatalogObject) +
                " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return std::move(out_);
    }

  private:
    std::string out_;
    std::vector<std::size_t> offsets_;  // by object number; 0 is the free list's head
};

std::string font(const char* base) {
    return std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + base + " /Encoding /WinAnsiEncoding >>";
}

}  // namespace

PdfPaper pdf_paper(PaperSize paper) {
    return paper == PaperSize::letter ? PdfPaper{612, 792} : PdfPaper{595, 842};
}

int pdf_lines_per_page(PaperSize paper) {
    return (pdf_paper(paper).height * 10 - 2 * kPdfMargin * 10) / kPdfLineHeightTenths;
}

bool parse_paper_size(std::string_view text, PaperSize& paper) {
    std::string lower;
    for (const char ch : text) lower += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    if (lower == "a4") {
        paper = PaperSize::a4;
        return true;
    }
    if (lower == "letter") {
        paper = PaperSize::letter;
        return true;
    }
    return false;
}

const char* paper_size_name(PaperSize paper) {
    return paper == PaperSize::letter ? "letter" : "a4";
}

std::string make_pdf(const std::vector<Page>& pages, PaperSize paper) {
    static const std::vector<Page> kOneBlankPage(1);
    const std::vector<Page>& drawn = pages.empty() ? kOneBlankPage : pages;
    const PdfPaper size = pdf_paper(paper);
    const int page_count = static_cast<int>(drawn.size());
    PdfDocument doc(static_cast<std::size_t>(kFirstPageObject - 1 + 2 * page_count));

    doc.object(kCatalogObject, "<< /Type /Catalog /Pages " + std::to_string(kPagesObject) + " 0 R >>");
    std::string kids;
    for (int i = 0; i < page_count; ++i) kids += (i > 0 ? " " : "") + std::to_string(kFirstPageObject + 2 * i) + " 0 R";
    doc.object(kPagesObject, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(page_count) + " >>");
    doc.object(kNormalFontObject, font("Courier"));
    doc.object(kBoldFontObject, font("Courier-Bold"));
    const std::string media_box = "[0 0 " + std::to_string(size.width) + " " + std::to_string(size.height) + "]";
    const std::string resources = "<< /Font << /F1 " + std::to_string(kNormalFontObject) + " 0 R /F2 " +
                                  std::to_string(kBoldFontObject) + " 0 R >> >>";
    for (int i = 0; i < page_count; ++i) {
        const int page_object = kFirstPageObject + 2 * i;
        doc.object(page_object, "<< /Type /Page /Parent " + std::to_string(kPagesObject) + " 0 R /MediaBox " +
                                    media_box + " /Resources " + resources + " /Contents " +
                                    std::to_string(page_object + 1) + " 0 R >>");
        doc.stream(page_object + 1, content_stream(drawn[static_cast<std::size_t>(i)], size));
    }
    return doc.finish();
}

bool page_file_to_pdf(const std::string& page_path, PaperSize paper, std::string& pdf, std::string& error) {
    error.clear();
    std::vector<Page> pages;
    errno = 0;
    if (!PageReader::read_page_file(page_path, pages)) {
        const int cause = errno != 0 ? errno : ENOENT;
        error = "Error opening " + page_path + " = " + std::to_string(cause);
        return false;
    }
    pdf = make_pdf(pages, paper);
    return true;
}

}  // namespace kestra::report
