#include "ui/radio_tab_stop.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace kestra::ui {

namespace {

void move_tab_stop(QButtonGroup* group) {
    const QList<QAbstractButton*> buttons = group->buttons();
    if (buttons.isEmpty()) return;
    QAbstractButton* stop = group->checkedButton() != nullptr ? group->checkedButton() : buttons.front();
    for (QAbstractButton* b : buttons) {
        const Qt::FocusPolicy policy = b == stop ? Qt::FocusPolicy(b->focusPolicy() | Qt::TabFocus)
                                                 : Qt::FocusPolicy(b->focusPolicy() & ~Qt::TabFocus);
        b->setFocusPolicy(policy);
    }
}

}  // namespace

void tab_stop_on_checked(QButtonGroup* group) {
    move_tab_stop(group);
    QObject::connect(group, &QButtonGroup::buttonToggled, group, [group] { move_tab_stop(group); });
}

}  // namespace kestra::ui
