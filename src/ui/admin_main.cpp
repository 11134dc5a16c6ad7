#include "ui/admin_main.h"

#include <QApplication>

#include "app/admin_app.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_hooks.h"
#include "ui/settings_dialogs.h"

namespace kestra::ui {

int run_admin(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("admin"));
    QtUiHooks hooks;
    app::set_ui_hooks(&hooks);
    app::admin_app().load_settings();
    set_entry_dialogs(&settings_entry_dialogs());
    int rc = 0;
    {
        CMainFrame frame;
        frame.show_with_placement();
        // Cancel leaves the program running without a connection.
        frame.new_connection();
        rc = QApplication::exec();
    }
    set_entry_dialogs(nullptr);
    app::set_ui_hooks(nullptr);
    return rc;
}

}  // namespace kestra::ui
