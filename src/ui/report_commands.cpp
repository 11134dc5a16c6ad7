#include "ui/report_commands.h"

#include <QDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cerrno>
#include <string>

#include "app/ui_hooks.h"
#include "app/wait_cursor.h"
#include "hostlink/host_session.h"
#include "model/server_node.h"
#include "platform/atomic_file.h"
#include "report/page_geometry.h"
#include "report/pdf_writer.h"
#include "ui/admin_frame.h"
#include "ui/app_printer.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/print_options_dialog.h"
#include "ui/report_painter.h"
#include "ui/ui_seams.h"
#include "workspace/command_ids.h"
#include "workspace/print_job.h"

namespace kestra::ui {

namespace cmd = workspace::cmd;

namespace {

// The Print Options window on the window's current options; false on Cancel.
bool ask_print_options(CAdminFrame& frame) {
    workspace::PrintState& state = frame.doc().print;
    CPrintOptionsDlg dialog(state.options, &frame);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return false;
    state.options = dialog.options();
    return true;
}

// The report into the page file; false, with the reasons shown, when there is nothing to print.
bool write_page_file(CAdminFrame& frame, int lines_per_page, int& pages) {
    workspace::CAdminDoc& doc = frame.doc();
    std::int16_t rc = 0;
    {
        app::WaitCursor wait;
        rc = workspace::write_print_report(doc, lines_per_page, pages);
    }
    if (rc < 0) {
        doc.session().show_errors();
        return false;
    }
    return true;
}

// Tables, field lists or applications that could not be loaded have their lines in the report; their reasons
// are shown once the job is done.
void show_load_failures(CAdminFrame& frame) {
    hostlink::CHostSession& session = frame.doc().session();
    if (!session.diagnostics().empty()) session.show_errors();
}

// Lines per page for the printer as set up now; 0, with the refusal shown, when not one line fits.
int printer_lines(const QPrinter& printer) {
    const int lines = report_lines_per_page(printer);
    if (lines < 1) app::message_box(report::kPageTooSmall, {}, app::MessageIcon::Stop);
    return lines;
}

void print(CAdminFrame& frame) {
    if (workspace::print_target(frame.doc()) == nullptr || !ask_print_options(frame)) return;
    QPrinter& printer = application_printer();
    if (!seams().print_dialog(&frame, printer)) return;
    const int lines = printer_lines(printer);
    if (lines < 1) return;
    int pages = 0;
    if (!write_page_file(frame, lines, pages)) return;
    const report::PageRange range = report::clamp_page_range(printer.printRange() == QPrinter::PageRange,
                                                             printer.fromPage(), printer.toPage(), pages);
    if (!range.empty()) {
        QPainter painter;
        if (!painter.begin(&printer)) {
            app::message_box("The printer could not be opened", {}, app::MessageIcon::Stop);
            return;
        }
        const ReportFonts fonts = report_fonts(printer);
        paint_report(painter, fonts, frame.doc().print.page_file.path(), range.first, range.last,
                     [&printer] { return printer.newPage(); });
        painter.end();
    }
    show_load_failures(frame);
}

void preview(CAdminFrame& frame) {
    if (workspace::print_target(frame.doc()) == nullptr || !ask_print_options(frame)) return;
    QPrinter& printer = application_printer();
    const int lines = printer_lines(printer);
    if (lines < 1) return;
    int pages = 0;
    if (!write_page_file(frame, lines, pages)) return;
    show_load_failures(frame);
    // Every repaint (zoom, page, setup) redraws the same page file: nothing more goes to the host.
    const std::string path = frame.doc().print.page_file.path();
    QPrintPreviewDialog dialog(&printer, &frame);
    set_dialog_name(&dialog, QStringLiteral("PrintPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [path, pages](QPrinter* target) {
        QPainter painter(target);
        paint_report(painter, report_fonts(*target), path, 1, pages, [target] { return target->newPage(); });
    });
    seams().exec_dialog(dialog);
}

void export_pdf(CAdminFrame& frame) {
    const model::CServerNode* node = workspace::print_target(frame.doc());
    if (node == nullptr || !ask_print_options(frame)) return;
    FileRequest request;
    request.caption = QString::fromLatin1(kExportPdfCaption);
    request.filter = QString::fromLatin1(kPdfFilter);
    request.default_suffix = QStringLiteral("pdf");
    request.start = from_host(node->name) + QStringLiteral(".pdf");
    request.save = true;
    request.must_exist = false;
    const QString chosen = seams().file_dialog(&frame, request);
    if (chosen.isEmpty()) return;
    // The PDF page is the printer's paper; its lines per page are the PDF's own, as the command line has them.
    const report::PaperSize paper = export_paper(application_printer());
    int pages = 0;
    if (!write_page_file(frame, report::pdf_lines_per_page(paper), pages)) return;
    std::string pdf, error;
    if (!report::page_file_to_pdf(frame.doc().print.page_file.path(), paper, pdf, error)) {
        app::message_box(error, {}, app::MessageIcon::Stop);
        return;
    }
    const std::string target = chosen.toLocal8Bit().toStdString();
    errno = 0;
    if (!platform::write_file_atomically(target, pdf)) {
        app::message_box("Error writing " + target + " = " + std::to_string(errno != 0 ? errno : EIO), {},
                         app::MessageIcon::Stop);
        return;
    }
    show_load_failures(frame);
}

}  // namespace

bool run_report_command(CAdminFrame& frame, int id) {
    switch (id) {
        case cmd::kPrint:
            print(frame);
            return true;
        case cmd::kPrintPreview:
            preview(frame);
            return true;
        case cmd::kExportPdf:
            export_pdf(frame);
            return true;
        default:
            return false;
    }
}

}  // namespace kestra::ui
