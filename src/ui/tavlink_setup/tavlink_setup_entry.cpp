#include <QApplication>
#include <QWidget>

#include "tavlink/setup_library.h"
#include "ui/tavlink_setup/tavlink_setup_dialog.h"

// The setup library's one export (see tavlink/setup_library.h).
extern "C" __attribute__((visibility("default"))) int tavlink_setup_run(void* owner, const char* ini_path,
                                                                        std::uint16_t global_port) {
    // A program without windows (the command line, a test host) has nothing to show the dialog with.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || ini_path == nullptr) return -1;
    kestra::ui::CTavlinkSetupDlg dialog(ini_path, global_port, static_cast<QWidget*>(owner));
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

// The export must keep the type the provider calls it through.
static_assert(std::is_same_v<decltype(&tavlink_setup_run), kestra::tavlink::SetupEntryFn>);
