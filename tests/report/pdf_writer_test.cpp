#include "report/pdf_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using namespace kestra::report;
using kestra::testing::TempDir;

namespace {

// What a reader finds in the document by following its cross-reference table, checked on the way.
struct ParsedPdf {
    std::map<int, std::string> objects;  // object number -> text from "n 0 obj" to its "endobj"
    std::vector<std::string> contents;   // content streams, in page order
    int count = -1;                      // /Count of the page tree
};

::testing::AssertionResult parse(const std::string& pdf, ParsedPdf& out) {
    if (pdf.rfind("%PDF-1.4\n", 0) != 0) return ::testing::AssertionFailure() << "no PDF 1.4 header";
    const std::size_t tail = pdf.rfind("startxref\n");
    if (tail == std::string::npos || pdf.size() < 6 || pdf.substr(pdf.size() - 6) != "%%EOF\n")
        return ::testing::AssertionFailure() << "no startxref or %%EOF";
    const std::size_t xref = std::strtoul(pdf.c_str() + tail + 10, nullptr, 10);
    if (pdf.compare(xref, 7, "xref\n0 ") != 0) return ::testing::AssertionFailure() << "startxref misses the table";
    char* end = nullptr;
    const long size = std::strtol(pdf.c_str() + xref + 7, &end, 10);
    std::size_t at = static_cast<std::size_t>(end - pdf.c_str()) + 1;
    if (pdf.compare(at, 20, "0000000000 65535 f \n") != 0) return ::testing::AssertionFailure() << "bad free entry";
    for (long n = 1; n < size; ++n) {
        const std::string entry = pdf.substr(at + 20 * static_cast<std::size_t>(n), 20);
        if (entry.size() != 20 || entry.substr(10) != " 00000 n \n")
            return ::testing::AssertionFailure() << "entry " << n << " is not 20 bytes: " << entry;
        const std::size_t offset = std::stoul(entry.substr(0, 10));
        const std::string head = std::to_string(n) + " 0 obj\n";
        if (pdf.compare(offset, head.size(), head) != 0)
            return ::testing::AssertionFailure() << "entry " << n << " points at " << pdf.substr(offset, 12);
        const std::size_t stop = pdf.find("endobj\n", offset);
        out.objects[static_cast<int>(n)] = pdf.substr(offset, stop - offset);
    }
    if (pdf.compare(at + 20 * static_cast<std::size_t>(size), 8, "trailer\n") != 0)
        return ::testing::AssertionFailure() << "the table is not " << size << " entries long";
    // The page tree in order: its kids, each with one content stream whose /Length is exact.
    const std::string& tree = out.objects[2];
    const std::size_t count = tree.find("/Count ");
    if (count == std::string::npos) return ::testing::AssertionFailure() << "no /Count";
    out.count = std::atoi(tree.c_str() + count + 7);
    std::size_t kid = tree.find("/Kids [") + 7;
    while (tree[kid] != ']') {
        const int page = std::atoi(tree.c_str() + kid);
        const std::string& dict = out.objects[page];
        if (dict.find("/Type /Page ") == std::string::npos) return ::testing::AssertionFailure() << "kid not a page";
        const int content = std::atoi(dict.c_str() + dict.find("/Contents ") + 10);
        const std::string& stream = out.objects[content];
        const std::size_t length = std::stoul(stream.substr(stream.find("/Length ") + 8));
        const std::size_t data = stream.find(">>\nstream\n") + 10;
        if (stream.compare(data + length, 10, "endstream\n") != 0)
            return ::testing::AssertionFailure() << "stream " << content << " is not " << length << " bytes long";
        out.contents.push_back(stream.substr(data, length));
        kid = tree.find_first_of(" ]", tree.find(" R", kid) + 2);
        if (tree[kid] == ' ') ++kid;
    }
    return ::testing::AssertionSuccess();
}

std::vector<Page> pages_of(const std::string& page_file) {
    std::istringstream in(page_file);
    std::vector<Page> pages;
    PageReader::read_pages(in, pages);
    return pages;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(PdfWriter, OnePageDocumentIsWhole) {
    ParsedPdf pdf;
    ASSERT_TRUE(
        parse(make_pdf(pages_of("BConfiguration file SALES at HOST\nN\nNNo Row Limit\nE\n"), PaperSize::a4), pdf));
    EXPECT_EQ(pdf.count, 1);
    ASSERT_EQ(pdf.contents.size(), 1u);
    EXPECT_NE(pdf.objects[3].find("/BaseFont /Courier /Encoding /WinAnsiEncoding"), std::string::npos);
    EXPECT_NE(pdf.objects[4].find("/BaseFont /Courier-Bold /Encoding /WinAnsiEncoding"), std::string::npos);
    EXPECT_NE(pdf.objects[5].find("/MediaBox [0 0 595 842]"), std::string::npos);
    // Bold for the heading, normal again after the blank line, which only moves down.
    const std::string& c = pdf.contents[0];
    EXPECT_NE(c.find("/F2 12 Tf\n(Configuration file SALES at HOST) Tj\nT*\nT*\n/F1 12 Tf\n(No Row Limit) Tj\n"),
              std::string::npos)
        << c;
    EXPECT_NE(c.find("13.6 TL\n36 796 Td\n"), std::string::npos) << c;
}

TEST(PdfWriter, ThreePagesInOrderOnLetter) {
    ParsedPdf pdf;
    ASSERT_TRUE(parse(make_pdf(pages_of("Nfirst\nP\nNsecond\nP\nNthird\nE\n"), PaperSize::letter), pdf));
    EXPECT_EQ(pdf.count, 3);
    ASSERT_EQ(pdf.contents.size(), 3u);
    EXPECT_NE(pdf.contents[0].find("(first)"), std::string::npos);
    EXPECT_NE(pdf.contents[1].find("(second)"), std::string::npos);
    EXPECT_NE(pdf.contents[2].find("(third)"), std::string::npos);
    EXPECT_NE(pdf.contents[2].find("36 746 Td"), std::string::npos);
    EXPECT_NE(pdf.objects[5].find("/MediaBox [0 0 612 792]"), std::string::npos);
}

TEST(PdfWriter, StringsAreEscapedAndCharactersOutsideWinAnsiBecomeQuestionMarks) {
    ParsedPdf pdf;
    // Latin-1 e-acute stays itself; a tab, a C1 control and DEL have no glyph.
    ASSERT_TRUE(parse(make_pdf(pages_of("NWhere (A = \"x\\y\") caf\xE9\tz\x85\x7F\nE\n"), PaperSize::a4), pdf));
    EXPECT_NE(pdf.contents[0].find("(Where \\(A = \"x\\\\y\"\\) caf\\351?z?"
                                   "?) Tj"),
              std::string::npos)
        << pdf.contents[0];
    // An unbalanced parenthesis cannot end the string early.
    ParsedPdf unbalanced;
    ASSERT_TRUE(parse(make_pdf(pages_of("N) Tj (\nE\n"), PaperSize::a4), unbalanced));
    EXPECT_NE(unbalanced.contents[0].find("(\\) Tj \\() Tj"), std::string::npos);
}

TEST(PdfWriter, SameInputSameBytes) {
    const auto pages = pages_of("BHeading\nNline\nP\nNmore\nE\n");
    const std::string once = make_pdf(pages, PaperSize::a4);
    EXPECT_EQ(once, make_pdf(pages, PaperSize::a4));
    EXPECT_NE(once, make_pdf(pages, PaperSize::letter));
    EXPECT_EQ(once.find("CreationDate"), std::string::npos);
}

TEST(PdfWriter, LinesPerPageFitBetweenTheMargins) {
    // floor((842 - 72) / 13.6) and floor((792 - 72) / 13.6)
    EXPECT_EQ(pdf_lines_per_page(PaperSize::a4), 56);
    EXPECT_EQ(pdf_lines_per_page(PaperSize::letter), 52);
    // The last line's baseline stays above the bottom margin by more than Courier's descent.
    for (PaperSize paper : {PaperSize::a4, PaperSize::letter}) {
        const double first = pdf_paper(paper).height - kPdfMargin - 10.0;
        const double last = first - (pdf_lines_per_page(paper) - 1) * 13.6;
        EXPECT_GT(last - 2.0, kPdfMargin) << paper_size_name(paper);
    }
    PaperSize paper = PaperSize::a4;
    EXPECT_TRUE(parse_paper_size("LETTER", paper));
    EXPECT_EQ(paper, PaperSize::letter);
    EXPECT_TRUE(parse_paper_size("a4", paper));
    EXPECT_EQ(paper, PaperSize::a4);
    EXPECT_FALSE(parse_paper_size("a5", paper));
    EXPECT_FALSE(parse_paper_size("", paper));
}

TEST(PdfWriter, ReadsThePageFileAsPrintingDoes) {
    TempDir dir;
    // An unknown code is passed over; "E" ends the report, whatever follows.
    const std::string long_line(kMaxPageLineLength + 100, 'x');
    const std::string path = dir.write("kbatest", "Nkept\nXskipped\nN" + long_line + "\nE\nNafter the end\nP\n");
    std::string pdf, error;
    ASSERT_TRUE(page_file_to_pdf(path, PaperSize::a4, pdf, error)) << error;
    ParsedPdf parsed;
    ASSERT_TRUE(parse(pdf, parsed));
    EXPECT_EQ(parsed.count, 1);
    EXPECT_NE(parsed.contents[0].find("(kept)"), std::string::npos);
    EXPECT_EQ(parsed.contents[0].find("skipped"), std::string::npos);
    EXPECT_EQ(parsed.contents[0].find("after the end"), std::string::npos);
    // A line wider than the page is drawn whole up to the longest line kept, never wrapped.
    EXPECT_NE(parsed.contents[0].find("(" + std::string(kMaxPageLineLength, 'x') + ") Tj"), std::string::npos);
    EXPECT_EQ(occurrences(parsed.contents[0], "Tj"), 2u);
}

TEST(PdfWriter, EmptyOrMissingPageFile) {
    TempDir dir;
    std::string pdf, error;
    // An empty report still opens: one blank page.
    ASSERT_TRUE(page_file_to_pdf(dir.write("empty", "E\n"), PaperSize::a4, pdf, error));
    ParsedPdf parsed;
    ASSERT_TRUE(parse(pdf, parsed));
    EXPECT_EQ(parsed.count, 1);
    EXPECT_EQ(occurrences(parsed.contents[0], "Tj"), 0u);

    EXPECT_FALSE(page_file_to_pdf(dir.file("missing"), PaperSize::a4, pdf, error));
    EXPECT_EQ(error, "Error opening " + dir.file("missing") + " = 2");
}

TEST(PdfWriter, PageCountFollowsThePageBreaks) {
    // A full last page ends with "P" before "E": no blank page is added for it.
    std::string file;
    for (int page = 0; page < 4; ++page) file += "Nline\nP\n";
    file += "E\n";
    ParsedPdf parsed;
    ASSERT_TRUE(parse(make_pdf(pages_of(file), PaperSize::a4), parsed));
    EXPECT_EQ(parsed.count, 4);
    EXPECT_EQ(parsed.contents.size(), 4u);
}

}  // namespace
