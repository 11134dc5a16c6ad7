#pragma once

#include <QDialog>
#include <map>
#include <memory>

#include "ui/client_config_view.h"
#include "workspace/global_settings_form.h"
#include "workspace/limits_form.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QTextEdit;

namespace kestra::ui {

// The five limit controls, shared by Limits and an application's "Limit Overrides" group.
class LimitControls {
  public:
    // Builds the controls inside `group`.
    explicit LimitControls(QGroupBox* group);
    void show(const workspace::LimitsForm& form);
    void take(workspace::LimitsForm& form) const;
    void set_enabled(bool on);

  private:
    QCheckBox* where_;
    QCheckBox* selects_;
    QCheckBox* joins_;
    QButtonGroup* kind_;
    QLineEdit* count_;
    QWidget* kind_box_;
};

// Global Settings: the file's global options and description.
class CGlobalSettingsDlg : public QDialog {
    Q_OBJECT
  public:
    CGlobalSettingsDlg(workspace::GlobalSettingsForm& form, QWidget* parent = nullptr);
    void accept() override;

  private:
    void take();

    workspace::GlobalSettingsForm& form_;
    std::map<int, QWidget*> fields_;
    QTextEdit* description_;
    QLineEdit* usercode_;
    QLineEdit* priority_;
    QLineEdit* app_name_;
    QComboBox* translation_;
    QLineEdit* guardfile_;
    QLineEdit* month_;
    QLineEdit* day_;
    QLineEdit* year_;
    QCheckBox* unique_;
    QCheckBox* database_;
    QCheckBox* hide_;
    QButtonGroup* program_security_;
    QButtonGroup* security_type_;
    QButtonGroup* security_use_;
};

// Limits: the file's limits.
class CLimitsDlg : public QDialog {
    Q_OBJECT
  public:
    CLimitsDlg(workspace::LimitsForm& form, QWidget* parent = nullptr);
    void accept() override;

  private:
    workspace::LimitsForm& form_;
    std::unique_ptr<LimitControls> controls_;
};

// What the configuration view's New and Edit open in applications, limits and global mode: the dialog, then the
// copy into the file, the request to the host, and the file marked modified whatever the host answered.
class CSettingsEntryDialogs : public EntryDialogs {
  public:
    void new_entry(CClientConfigView& view, workspace::ViewMode mode) override;
    void edit_entry(CClientConfigView& view, workspace::ViewMode mode, int index) override;
};

// The dialogs the program installs for the configuration view.
EntryDialogs& settings_entry_dialogs();

}  // namespace kestra::ui
