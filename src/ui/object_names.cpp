#include "ui/object_names.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QVariant>
#include <QWidget>

namespace kestra::ui {

void set_control_id(QWidget* control, int id) {
    control->setObjectName(QStringLiteral("ctl_%1").arg(id));
    control->setProperty(kControlIdProperty, id);
}

void set_buddy(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    QString name = label->text();
    name.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace(QChar(1), QLatin1Char('&'));
    control->setAccessibleName(name);
}

void set_control_role(QWidget* control, const QString& dialog, const QString& role) {
    control->setObjectName(QStringLiteral("ctl_%1_%2").arg(dialog, role));
}

void set_dialog_name(QWidget* dialog, int template_id) {
    dialog->setObjectName(QStringLiteral("dlg_%1").arg(template_id));
}

void set_dialog_name(QWidget* dialog, const QString& name) {
    dialog->setObjectName(QStringLiteral("dlg_") + name);
}

void set_command_id(QAction* action, int id) {
    action->setObjectName(QStringLiteral("cmd_%1").arg(id));
    action->setData(id);
}

void set_popup_name(QMenu* menu, int resource, const QString& name) {
    QString bare = name;
    while (bare.startsWith(QLatin1Char('_'))) bare.remove(0, 1);
    while (bare.endsWith(QLatin1Char('_'))) bare.chop(1);
    menu->setObjectName(QStringLiteral("menu_%1_%2").arg(resource).arg(bare));
}

int command_id(const QAction* action) {
    bool ok = false;
    const int id = action != nullptr ? action->data().toInt(&ok) : 0;
    return ok ? id : 0;
}

QWidget* find_control(const QWidget* dialog, int id) {
    if (dialog == nullptr) return nullptr;
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* w : children) {
        bool ok = false;
        if (w->property(kControlIdProperty).toInt(&ok) == id && ok && w->window() == dialog->window()) return w;
    }
    return nullptr;
}

QDialogButtonBox* ok_cancel_buttons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    set_control_id(buttons->button(QDialogButtonBox::Ok), kOkId);
    set_control_id(buttons->button(QDialogButtonBox::Cancel), kCancelId);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace kestra::ui
