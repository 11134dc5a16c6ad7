#pragma once

#include <functional>

class QAbstractItemView;
class QKeyEvent;
class QPoint;
class QWidget;

namespace kestra::ui {

// The keys that open a popup from the keyboard: the Menu key and Shift+F10.
bool is_popup_key(const QKeyEvent& event);

// Lets the keyboard open a widget's popup: the popup keys and the platform's keyboard context-menu event call
// `show`, which places the popup itself (at the current entry, not at the mouse). Mouse right clicks are left to
// the widget. Another popup already open takes these keys, so none stacks on it.
void install_keyboard_popup(QWidget* widget, std::function<void()> show);

// Where a keyboard popup of an item view belongs, in its viewport's coordinates: just below the current item,
// scrolled into view first; the top left corner when there is none.
QPoint below_current_item(QAbstractItemView* view);

}  // namespace kestra::ui
