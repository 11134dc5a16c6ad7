#include "ui/app_printer.h"

#include <QCoreApplication>
#include <QPageSize>
#include <QPrinter>

namespace kestra::ui {

namespace {

QPrinter* printer = nullptr;

// A printer outliving the application would reach into a print system already shut down.
void delete_printer() {
    delete printer;
    printer = nullptr;
}

}  // namespace

QPrinter& application_printer() {
    if (printer == nullptr) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(delete_printer);
    }
    return *printer;
}

report::PaperSize export_paper(const QPrinter& p) {
    return p.pageLayout().pageSize().id() == QPageSize::Letter ? report::PaperSize::letter : report::PaperSize::a4;
}

}  // namespace kestra::ui
