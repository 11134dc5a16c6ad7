#include "ui/ui_seams.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>

namespace kestra::ui {

namespace {

UiSeams* current_seams = nullptr;

UiSeams& real_seams() {
    static UiSeams seams;
    return seams;
}

}  // namespace

void UiSeams::beep() {
    QApplication::beep();
}

Qt::KeyboardModifiers UiSeams::keyboard_modifiers() {
    return QGuiApplication::queryKeyboardModifiers();
}

int UiSeams::exec_dialog(QDialog& dialog) {
    return dialog.exec();
}

QString UiSeams::file_dialog(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.caption, request.start, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save || !request.must_exist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.default_suffix.isEmpty()) dialog.setDefaultSuffix(request.default_suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool UiSeams::print_dialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    // The page count is known only once the report is written; the range asked for is cut to it then.
    dialog.setMinMax(1, 65535);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    return dialog.exec() == QDialog::Accepted;
}

bool UiSeams::print_setup_dialog(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

UiSeams& seams() {
    return current_seams != nullptr ? *current_seams : real_seams();
}

void set_seams(UiSeams* seams) {
    current_seams = seams;
}

}  // namespace kestra::ui
