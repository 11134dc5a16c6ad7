#include "ui/qt_ui_hooks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include "ui/host_text.h"

namespace kestra::ui {

app::MessageResult QtUiHooks::message_box(const std::string& text, const std::string& caption, app::MessageIcon icon,
                                          app::MessageButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.empty() ? QString::fromLatin1(kProgramCaption) : from_host(caption));
    // Diagnostics end each record with a carriage return.
    QString body = from_host(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(body.trimmed());
    switch (icon) {
        case app::MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case app::MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case app::MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case app::MessageIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case app::MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (buttons) {
        case app::MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case app::MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case app::MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case app::MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    // A box over a request in progress must show the normal cursor.
    const bool waiting = QGuiApplication::overrideCursor() != nullptr;
    if (waiting) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (waiting) QGuiApplication::restoreOverrideCursor();
    switch (answer) {
        case QMessageBox::Yes:
            return app::MessageResult::Yes;
        case QMessageBox::No:
            return app::MessageResult::No;
        case QMessageBox::Cancel:
            return app::MessageResult::Cancel;
        default:
            return app::MessageResult::Ok;
    }
}

void QtUiHooks::show_wait_cursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUiHooks::restore_cursor() {
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace kestra::ui
