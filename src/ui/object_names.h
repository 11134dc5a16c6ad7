#pragma once

#include <QString>

class QAction;
class QDialog;
class QDialogButtonBox;
class QLabel;
class QMenu;
class QObject;
class QWidget;

namespace kestra::ui {

// How windows, controls and commands are named, so tests and accessibility tools find them:
//   a control with a resource id    ctl_<id>, and the property ctlId holding the id (OK is 1, Cancel 2)
//   a control without one           ctl_<Dialog>_<Role>
//   a dialog                        dlg_<template id> or dlg_<Name>
//   a command                       cmd_<id>, the id also as the action's data()
//   a popup menu                    menu_<resource>_<name>
inline constexpr char kControlIdProperty[] = "ctlId";
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

// OK and Cancel named as every dialog names them (ctl_1, ctl_2), accepting and rejecting the dialog.
QDialogButtonBox* ok_cancel_buttons(QDialog* dialog);

void set_control_id(QWidget* control, int id);
// Makes `label` the label of `control`: its mnemonic moves the focus there, and its text (without the mark) names
// the control for screen readers, which lists and other item views do not take from their label by themselves.
void set_buddy(QLabel* label, QWidget* control);
void set_control_role(QWidget* control, const QString& dialog, const QString& role);
void set_dialog_name(QWidget* dialog, int template_id);
void set_dialog_name(QWidget* dialog, const QString& name);
void set_command_id(QAction* action, int id);
// Underscores around the resource's popup name ("_SimplePopup_") are dropped.
void set_popup_name(QMenu* menu, int resource, const QString& name);

// The command id of an action; 0 when it carries none.
int command_id(const QAction* action);

// The control with that id inside `dialog` itself, not inside a dialog opened from it: ids repeat across dialogs.
QWidget* find_control(const QWidget* dialog, int id);
template <class T>
T* find_control(const QWidget* dialog, int id) {
    return qobject_cast<T*>(find_control(dialog, id));
}

}  // namespace kestra::ui
