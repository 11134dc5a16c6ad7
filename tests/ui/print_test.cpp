// The report commands of a connection window against the test host in this process: the Print Options window,
// printing to a PDF printer, the preview, Print Setup on the one printer, Export to PDF, and the page file's life.
// The class logs in once and opens the sample's SALES file as selecting it in the tree does.
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/admin_app.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "qtest_support.h"
#include "report/page_geometry.h"
#include "report/page_reader.h"
#include "support/cli_process.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"
#include "ui/admin_frame.h"
#include "ui/app_printer.h"
#include "ui/command_actions.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/print_options_dialog.h"
#include "ui/report_commands.h"
#include "ui/report_painter.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;

namespace {

// The test seams, answering the printer dialogs with a handler of the test's.
class PrintSeams : public testing::TestSeams {
public:
    bool print_dialog(QWidget*, QPrinter& printer) override {
        ++print_dialogs;
        printers.push_back(&printer);
        return on_print ? on_print(printer) : false;
    }
    bool print_setup_dialog(QWidget*, QPrinter& printer) override {
        ++setup_dialogs;
        printers.push_back(&printer);
        return on_setup ? on_setup(printer) : false;
    }

    std::function<bool(QPrinter&)> on_print;
    std::function<bool(QPrinter&)> on_setup;
    int print_dialogs = 0;
    int setup_dialogs = 0;
    std::vector<QPrinter*> printers;
};


int press_ok(QDialog& d) {
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
    return d.result();
}

int press_cancel(QDialog& d) {
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kCancelId), Qt::LeftButton);
    return d.result();
}

// A program on $PATH by its full path: the process runner does not search.
std::string on_path(const std::string& name) {
    const std::string dirs = qEnvironmentVariable("PATH", "/usr/bin:/bin").toStdString();
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return name;
}

// "Pages:" of pdfinfo (poppler-utils); -1 when it cannot tell.
int pdf_page_count(const std::string& path) {
    const auto info = testing::run_process(on_path("pdfinfo"), {path});
    const std::size_t at = info.out.find("Pages:");
    return info.status == 0 && at != std::string::npos ? std::atoi(info.out.c_str() + at + 6) : -1;
}

// Page 1 of a PDF as poppler draws it at 50 dpi, compared loosely with its reference; empty when alike.
QString compare_first_page(const std::string& pdf, const std::string& png, const QString& name) {
    const auto raster =
        testing::run_process(on_path("pdftoppm"), {"-r", "50", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, png});
    if (raster.status != 0) return QString::fromStdString("pdftoppm failed: " + raster.err);
    QLabel page;
    page.setPixmap(QPixmap(QString::fromStdString(png + ".png")));
    if (page.pixmap().isNull()) return QStringLiteral("no page drawn");
    page.setFixedSize(page.pixmap().size());
    return testing::compare_screenshot(&page, name, 0.03);
}

// Prints into a PDF file, all pages offered as the real dialog offers them.
bool answer_pdf(QPrinter& printer, const std::string& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(1, 65535);
    return true;
}

}  // namespace

class PrintTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<PrintSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    QPointer<ui::CAdminFrame> window;
    testing::TempDir out;

    workspace::CAdminDoc& doc() { return window->doc(); }
    std::size_t requests() const { return host->requests().entries().size(); }
    // The report's pages as the page file holds them now.
    int report_pages() {
        std::vector<report::Page> pages;
        return report::PageReader::read_page_file(doc().print.page_file.path(), pages) ? static_cast<int>(pages.size())
                                                                                       : -1;
    }

private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<PrintSeams>();
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        seams->next_dialog(testing::log_in_as_admin);
        window = frame->new_connection();
        QVERIFY2(window != nullptr, hooks->boxes.empty() ? "no login" : hooks->boxes.front().c_str());

        // What selecting SALES in the tree leaves behind: the file open, its sections read, the node selected.
        auto& d = doc();
        if (d.root().children().empty()) QCOMPARE(configsvc::get_config_list(d.client(), d.root()), 0);
        model::CServerNode* sales = d.root().find_by_name("(PROD)SALES ON DBPACK");
        QVERIFY(sales != nullptr);
        std::uint32_t reference = 0;
        QCOMPARE(configsvc::open_config(d.client(), static_cast<std::uint32_t>(sales->config.number), reference), 0);
        sales->config.file_reference = static_cast<std::int32_t>(reference);
        QCOMPARE(configsvc::get_global(d.client(), sales->config), 0);
        QCOMPARE(configsvc::get_limits(d.client(), sales->config), 0);
        QCOMPARE(configsvc::get_app_list(d.client(), sales->config), 0);
        QCOMPARE(configsvc::get_table_list(d.client(), d.pending_unloads(), sales->config), 0);
        d.set_selected(sales);
        frame->update_commands();
    }

    void cleanupTestCase() {
        frame.reset();
        QVERIFY2(seams->unexpected_dialogs.isEmpty(), qPrintable(seams->unexpected_dialogs.join(", ")));
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void init() {
        // Each case starts from the window's defaults, whatever an earlier one left behind.
        if (window) doc().print.options = report::PrintOptions{};
        hooks->boxes.clear();
        seams->on_print = nullptr;
        seams->on_setup = nullptr;
    }

    void cleanup() {
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(app::admin_app().wait_count, 0);
    }

    // The report commands sit in the File menu after Print Preview and, like Print, need a file selected.
    void commandsFollowTheSelectedFile() {
        QList<int> file_menu;
        for (QAction* a : frame->menuBar()->actions())
            if (a->text() == "&File")
                for (QAction* item : a->menu()->actions()) file_menu << ui::command_id(item);
        const auto preview = file_menu.indexOf(cmd::kPrintPreview);
        QVERIFY(preview > 0);
        QCOMPARE(file_menu.value(preview - 1), cmd::kPrint);
        QCOMPARE(file_menu.value(preview + 1), cmd::kExportPdf);
        QCOMPARE(file_menu.value(preview + 2), cmd::kPrintSetup);
        QCOMPARE(frame->commands().action(cmd::kExportPdf)->text(), QStringLiteral("&Export to PDF..."));
        QCOMPARE(frame->commands().action(cmd::kPrint)->shortcut(), QKeySequence("Ctrl+P"));
        for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kExportPdf})
            QVERIFY(frame->commands().action(id)->isEnabled());

        model::CServerNode* sales = doc().selected();
        doc().set_selected(&doc().root());
        frame->update_commands();
        for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kExportPdf})
            QVERIFY(!frame->commands().action(id)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kPrintSetup)->isEnabled());
        // Reached anyway (a key pressed as the selection moved): nothing opens, nothing is sent.
        const std::size_t before = requests();
        frame->run_command(cmd::kPrint);
        frame->run_command(cmd::kExportPdf);
        QCOMPARE(requests(), before);
        QVERIFY(!seams->dialogs_run.contains("dlg_142"));
        doc().set_selected(sales);
        frame->update_commands();
    }

    // OK takes what is ticked, with the name of the tables when their details or fields are; the window keeps it
    // for the next command. Cancel ends the command before the printer dialog and sends nothing.
    void printOptionsAreKeptAndConfirmedAtOk() {
        const std::size_t before = requests();
        QString look, heading;
        bool defaults = false;
        seams->next_dialog([&](QDialog& d) {
            auto* heading_label = d.findChild<QLabel*>("ctl_PrintOptions_Heading");
            heading = heading_label != nullptr ? heading_label->text() : QString();
            auto box = [&d](int id) { return ui::find_control<QCheckBox>(&d, id); };
            defaults = box(1180)->isChecked() && box(1181)->isChecked() && box(1183)->isChecked() &&
                       box(1182)->isChecked() && !box(1184)->isChecked() && !box(1185)->isChecked();
            // The three table options sit in the "Tables" group.
            auto* group = d.findChild<QGroupBox*>("ctl_PrintOptions_Tables");
            defaults = defaults && group != nullptr && group->title() == "Tables" && group->isAncestorOf(box(1185)) &&
                       !group->isAncestorOf(box(1180));
            look = testing::compare_screenshot(&d, "print-options");
            box(1182)->setChecked(false);
            box(1185)->setChecked(true);
            box(1181)->setChecked(false);
            return press_ok(d);
        });
        const int dialogs = seams->print_dialogs;
        frame->run_command(cmd::kPrint);  // the printer dialog is cancelled
        QCOMPARE(seams->print_dialogs, dialogs + 1);
        QCOMPARE(heading, QStringLiteral("Please select the information to print"));
        QVERIFY(defaults);
        QVERIFY2(look.isEmpty(), qPrintable(look));
        QVERIFY(doc().print.options.names);
        QVERIFY(doc().print.options.fields);
        QVERIFY(!doc().print.options.limits);
        QCOMPARE(requests(), before);

        // Opened again: as left, name ticked; Detail alone turns it on too. Then Cancel: no printer dialog.
        bool kept = false;
        seams->next_dialog([&](QDialog& d) {
            auto box = [&d](int id) { return ui::find_control<QCheckBox>(&d, id); };
            kept = box(1182)->isChecked() && box(1185)->isChecked() && !box(1181)->isChecked();
            box(1182)->setChecked(false);
            box(1185)->setChecked(false);
            box(1184)->setChecked(true);
            return press_ok(d);
        });
        seams->next_dialog([](QDialog&) { return int(QDialog::Rejected); });  // the preview
        frame->run_command(cmd::kPrintPreview);
        QVERIFY(kept);
        QVERIFY(doc().print.options.names && doc().print.options.detail && !doc().print.options.fields);
        const std::size_t after_preview = requests();

        seams->next_dialog([](QDialog& d) {
            ui::find_control<QCheckBox>(&d, 1180)->setChecked(false);
            return press_cancel(d);
        });
        frame->run_command(cmd::kPrint);
        QCOMPARE(seams->print_dialogs, dialogs + 1);
        QVERIFY(doc().print.options.global_options);
        QCOMPARE(requests(), after_preview);
    }

    // From 1 to 65535 as offered: exactly the report's pages come out, and the job ends.
    void printingToAPdfPrinterGivesTheReportsPages() {
        doc().print.options.fields = true;
        const std::string pdf = out.file("printed.pdf");
        seams->on_print = [&](QPrinter& p) { return answer_pdf(p, pdf); };
        seams->next_dialog(press_ok);
        frame->run_command(cmd::kPrint);
        QVERIFY2(hooks->boxes.empty(), hooks->boxes.empty() ? "" : hooks->boxes.front().c_str());
        QCOMPARE(seams->printers.back(), &ui::application_printer());
        const int pages = report_pages();
        QVERIFY(pages > 1);
        QCOMPARE(pdf_page_count(pdf), pages);

        // Page 1 as a printer would have it: the heading bold, a monospaced face.
        const QString look = compare_first_page(pdf, out.file("printed-page1"), "print-page1");
        QVERIFY2(look.isEmpty(), qPrintable(look));
        const QFontInfo face(ui::report_fonts(ui::application_printer()).normal);
        QVERIFY2(face.fixedPitch(), qPrintable(face.family()));

        // Part of the report: from page 2 on.
        std::filesystem::remove(pdf);
        seams->on_print = [&](QPrinter& p) {
            answer_pdf(p, pdf);
            p.setFromTo(2, 65535);
            return true;
        };
        seams->next_dialog(press_ok);
        frame->run_command(cmd::kPrint);
        QCOMPARE(pdf_page_count(pdf), pages - 1);
    }

    // The preview draws the page file written once: repainting, zooming and paging send nothing.
    void previewRepaintsWithoutRequests() {
        doc().print.options.fields = true;
        std::size_t after_report = 0;
        int shown_pages = 0;
        QString look;
        seams->next_dialog(press_ok);
        seams->next_dialog([&](QDialog& d) {
            after_report = requests();
            auto* preview = d.findChild<QPrintPreviewWidget*>();
            if (preview == nullptr) return int(QDialog::Rejected);
            d.resize(640, 560);
            for (int i = 0; i < 3; ++i) {
                preview->updatePreview();
                QCoreApplication::processEvents();
            }
            preview->zoomIn();
            preview->setCurrentPage(2);
            QCoreApplication::processEvents();
            shown_pages = preview->pageCount();
            preview->setCurrentPage(1);
            preview->fitInView();
            QCoreApplication::processEvents();
            look = testing::compare_screenshot(preview, "print-preview", 0.05);
            return int(QDialog::Accepted);
        });
        const std::size_t before = requests();
        frame->run_command(cmd::kPrintPreview);
        QVERIFY(seams->dialogs_run.contains("dlg_PrintPreview"));
        QVERIFY(after_report > before);
        QCOMPARE(requests(), after_report);
        QCOMPARE(shown_pages, report_pages());
        QVERIFY2(look.isEmpty(), qPrintable(look));
    }

    // Print Setup works on the same printer as Print, with or without a connection window.
    void printSetupSetsUpTheOnePrinter() {
        seams->on_setup = [](QPrinter& p) {
            p.setPageSize(QPageSize(QPageSize::Letter));
            return true;
        };
        frame->run_command(cmd::kPrintSetup);
        QCOMPARE(seams->printers.back(), &ui::application_printer());
        QCOMPARE(ui::application_printer().pageLayout().pageSize().id(), QPageSize::Letter);
        QCOMPARE(ui::export_paper(ui::application_printer()), report::PaperSize::letter);
        ui::application_printer().setPageSize(QPageSize(QPageSize::A4));
        QCOMPARE(ui::export_paper(ui::application_printer()), report::PaperSize::a4);
    }

    // A page file that cannot be made stops the command with "Bad path" before anything is sent.
    void aMissingTemporaryDirectoryIsABadPath() {
        const QByteArray old = qgetenv("TMPDIR");
        doc().print.page_file.remove();
        qputenv("TMPDIR", "/nonexistent-kestra-print");
        const std::string pdf = out.file("never.pdf");
        seams->on_print = [&](QPrinter& p) { return answer_pdf(p, pdf); };
        seams->next_dialog(press_ok);
        const std::size_t before = requests();
        frame->run_command(cmd::kPrint);
        if (old.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY2(hooks->boxes.front().find("Bad path /nonexistent-kestra-print/kba") != std::string::npos,
                 hooks->boxes.front().c_str());
        QCOMPARE(requests(), before);
        QVERIFY(!std::filesystem::exists(pdf));
        QVERIFY(doc().print.page_file.create());
    }

    // A page that cannot hold one line is refused before the report is written.
    void aPageShorterThanALineIsRefused() {
        const std::string pdf = out.file("short.pdf");
        seams->on_print = [&](QPrinter& p) {
            answer_pdf(p, pdf);
            p.setPageMargins(QMarginsF(0, 0, 0, 0));
            const double line = ui::report_fonts(p).line_height * 72.0 / p.resolution();
            p.setPageSize(QPageSize(QSizeF(300, line - 1), QPageSize::Point, QString(), QPageSize::ExactMatch));
            return true;
        };
        seams->next_dialog(press_ok);
        const std::size_t before = requests();
        frame->run_command(cmd::kPrint);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(hooks->boxes.front()), QString::fromLatin1(report::kPageTooSmall));
        QCOMPARE(requests(), before);
        QVERIFY(!std::filesystem::exists(pdf));
        ui::application_printer().setPageSize(QPageSize(QPageSize::A4));
        ui::application_printer().setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
    }

    // Export to PDF and the command line write the same bytes.
    void exportWritesWhatTheCommandLineWrites() {
        const std::string pdf = out.file("export.pdf");
        seams->file_answers.push_back(QString::fromStdString(pdf));
        seams->next_dialog(press_ok);
        frame->run_command(cmd::kExportPdf);
        QVERIFY2(hooks->boxes.empty(), hooks->boxes.empty() ? "" : hooks->boxes.front().c_str());
        const ui::FileRequest& asked = seams->file_requests.back();
        QVERIFY(asked.save);
        QCOMPARE(asked.filter, QStringLiteral("PDF files (*.pdf)"));
        QCOMPARE(asked.start, QStringLiteral("(PROD)SALES ON DBPACK.pdf"));
        const std::string exported = testing::TempDir::read(pdf);
        QVERIFY(exported.rfind("%PDF-1.4\n", 0) == 0);

        const auto cli = testing::run_kestra({"--ini", host->ini(), "report", "(PROD)SALES ON DBPACK", "--format", "pdf"},
                                             {{"KESTRA_PASSWORD", "SECRET"}});
        QVERIFY2(cli.status == 0, cli.err.c_str());
        QVERIFY(cli.out == exported);
        const QString look = compare_first_page(pdf, out.file("export-page1"), "export-pdf-page1");
        QVERIFY2(look.isEmpty(), qPrintable(look));

        // Cancelling the save dialog sends nothing and writes nothing.
        const std::size_t before = requests();
        seams->next_dialog(press_ok);
        frame->run_command(cmd::kExportPdf);
        QCOMPARE(requests(), before);

        // A place that cannot be written is said so; nothing is left there.
        const std::string blocked = out.write("plain-file", "x") + "/report.pdf";
        seams->file_answers.push_back(QString::fromStdString(blocked));
        seams->next_dialog(press_ok);
        frame->run_command(cmd::kExportPdf);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY2(hooks->boxes.front().rfind("Error writing " + blocked + " = ", 0) == 0, hooks->boxes.front().c_str());
        QCOMPARE(testing::TempDir::read(out.file("plain-file")), std::string("x"));
    }

    // The page file lives as long as the window.
    void thePageFileGoesWithTheWindow() {
        const std::string path = doc().print.page_file.path();
        QVERIFY(std::filesystem::exists(path));
        window->close();
        QTRY_VERIFY(window.isNull());
        QVERIFY(!std::filesystem::exists(path));
    }
};

KESTRA_QTEST_MAIN(PrintTest)
#include "print_test.moc"
