#pragma once

#include <QString>
#include <Qt>

class QDialog;
class QPrinter;
class QWidget;

namespace kestra::ui {

// What a file dialog is asked for.
struct FileRequest {
    QString caption;
    QString filter;          // "Programs (*.EXE)"
    QString default_suffix;  // without the dot
    QString start;           // folder or file name to start from
    bool save = false;       // a save dialog rather than an open one
    bool must_exist = true;  // open: the chosen file must exist
};

// Everything that would block on the user or read the machine's state outside the windows: beeps, the keyboard,
// modal child dialogs, file and printer dialogs. Only these call a blocking exec(); a test installs its own and
// answers each one, so no test ever waits on a window.
class UiSeams {
  public:
    virtual ~UiSeams() = default;

    virtual void beep();
    // The modifier keys held down now.
    virtual Qt::KeyboardModifiers keyboard_modifiers();
    // Runs a modal child dialog; the dialog's result code.
    virtual int exec_dialog(QDialog& dialog);
    // The chosen file, or an empty text on Cancel.
    virtual QString file_dialog(QWidget* parent, const FileRequest& request);
    // The print dialog and the print setup dialog; true on OK, with the printer set up as chosen.
    virtual bool print_dialog(QWidget* parent, QPrinter& printer);
    virtual bool print_setup_dialog(QWidget* parent, QPrinter& printer);
};

// The seams in force; never null. Passing null restores the real ones. The caller keeps ownership.
UiSeams& seams();
void set_seams(UiSeams* seams);

}  // namespace kestra::ui
