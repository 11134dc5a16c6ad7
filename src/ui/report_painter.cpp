#include "ui/report_painter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

#include "report/page_geometry.h"
#include "report/page_reader.h"
#include "ui/host_text.h"

namespace kestra::ui {

namespace {

constexpr int kReportPointSize = 12;

QString report_family() {
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                                      ? QStringLiteral("Courier New")
                                      : QStringLiteral("Liberation Mono");
    return family;
}

}  // namespace

ReportFonts report_fonts(const QPaintDevice& device) {
    QFont base(report_family(), kReportPointSize);
    base.setStyleHint(QFont::TypeWriter);
    base.setFixedPitch(true);
    // Made for the device, so its size in points holds at the printer's resolution.
    ReportFonts fonts;
    fonts.normal = QFont(base, &device);
    fonts.normal.setWeight(QFont::Normal);
    fonts.bold = QFont(base, &device);
    fonts.bold.setWeight(QFont::Bold);
    const QFontMetrics metrics(fonts.normal, &device);
    fonts.line_height = metrics.lineSpacing();
    fonts.ascent = metrics.ascent();
    return fonts;
}

int report_lines_per_page(const QPaintDevice& device) {
    return report::lines_per_page(device.height(), report_fonts(device).line_height);
}

int paint_report(QPainter& painter, const ReportFonts& fonts, const std::string& page_path, int first, int last,
                 const std::function<bool()>& new_page) {
    int drawn = 0;
    for (int number = first < 1 ? 1 : first; number <= last; ++number) {
        report::Page page;
        // Read before the sheet is begun: a page past the end must not leave a blank sheet behind.
        if (!report::PageReader::read_page_file(page_path, static_cast<std::size_t>(number - 1), page)) break;
        if (drawn > 0 && !new_page()) break;
        int top = 0;
        for (const report::PageLine& line : page) {
            if (!line.text.empty()) {
                painter.setFont(line.bold() ? fonts.bold : fonts.normal);
                painter.drawText(QPoint(0, top + fonts.ascent), from_host(line.text));
            }
            top += fonts.line_height;
        }
        ++drawn;
    }
    return drawn;
}

}  // namespace kestra::ui
