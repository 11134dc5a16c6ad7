#include "ui/admin_main.h"

#include <QApplication>
#include <QMainWindow>

#include "app/admin_app.h"
#include "ui/qt_ui_hooks.h"

namespace kestra::ui {

int run_admin(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("admin"));
    QtUiHooks hooks;
    app::set_ui_hooks(&hooks);
    app::admin_app().load_settings();
    QMainWindow frame;
    frame.setWindowTitle(QString::fromLatin1(kProgramCaption));
    frame.show();
    const int rc = QApplication::exec();
    app::set_ui_hooks(nullptr);
    return rc;
}

}  // namespace kestra::ui
