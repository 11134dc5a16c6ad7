#include "ui/help_keys.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWhatsThis>
#include <QWidget>

#include "ui/help_window.h"

namespace kestra::ui {

namespace {

// The window a help topic is known by: the top-level window of `object`, when it is named dlg_... or, with
// `main`, when it is the main window.
QWidget* named_window(QObject* object, bool main) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    QWidget* window = widget->window();
    const QString name = window->objectName();
    return name.startsWith(QStringLiteral("dlg_")) || (main && name == QStringLiteral("frame_main")) ? window : nullptr;
}

// Watches every event of the application for the help keys of the dialogs; the main window binds its own keys as
// commands, so it is left alone.
class HelpKeyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (key->key() != Qt::Key_F1) return false;
                QWidget* window = named_window(watched, false);
                if (window == nullptr) return false;
                const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
                if (mods == Qt::NoModifier) {
                    CHelpWindow::instance().show_topic(window->objectName());
                } else if (mods == Qt::ShiftModifier) {
                    QWhatsThis::enterWhatsThisMode();
                } else {
                    return false;
                }
                return true;
            }
            case QEvent::QueryWhatsThis:
            case QEvent::WhatsThis: {
                // A control with a text of its own shows it; any other control of a known window shows that window's
                // page, so What's-This mode always leads somewhere.
                auto* widget = qobject_cast<QWidget*>(watched);
                if (widget == nullptr || !widget->whatsThis().isEmpty()) return false;
                QWidget* window = named_window(watched, true);
                if (window == nullptr) return false;
                event->accept();
                if (event->type() == QEvent::WhatsThis) CHelpWindow::instance().show_topic(window->objectName());
                return true;
            }
            default:
                return false;
        }
    }
};

}  // namespace

void install_help_keys() {
    static QPointer<HelpKeyFilter> filter;
    if (!filter.isNull() || qApp == nullptr) return;
    filter = new HelpKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace kestra::ui
