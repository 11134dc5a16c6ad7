#include "ui/keyboard_popup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <utility>

namespace kestra::ui {

namespace {

class KeyboardPopupFilter : public QObject {
  public:
    KeyboardPopupFilter(QWidget* widget, std::function<void()> show) : QObject(widget), show_(std::move(show)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        const bool key = event->type() == QEvent::KeyPress && is_popup_key(*static_cast<QKeyEvent*>(event));
        const bool menu = event->type() == QEvent::ContextMenu &&
                          static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
        if (!key && !menu) return false;
        // The Menu key may arrive both as a key and as the platform's context-menu event: one popup is enough.
        if (QApplication::activePopupWidget() == nullptr) show_();
        return true;
    }

  private:
    std::function<void()> show_;
};

}  // namespace

bool is_popup_key(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
           (event.key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
}

void install_keyboard_popup(QWidget* widget, std::function<void()> show) {
    widget->installEventFilter(new KeyboardPopupFilter(widget, std::move(show)));
}

QPoint below_current_item(QAbstractItemView* view) {
    const QModelIndex current = view->currentIndex();
    if (!current.isValid()) return {0, 0};
    view->scrollTo(current);
    return view->visualRect(current).bottomLeft();
}

}  // namespace kestra::ui
