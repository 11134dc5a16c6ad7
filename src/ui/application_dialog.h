#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "ui/settings_dialogs.h"
#include "workspace/application_form.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestra::ui {

// Program: one accessible table's own Update Allowed within the application.
class CProgramDlg : public QDialog {
    Q_OBJECT
  public:
    CProgramDlg(const QString& table, bool update_allowed, QWidget* parent = nullptr);
    bool update_allowed() const;

  private:
    QCheckBox* update_;
};

// Application: a PC application's name, Update Allowed, limit overrides and table list.
class CApplicationDlg : public QDialog {
    Q_OBJECT
  public:
    CApplicationDlg(workspace::ApplicationForm& form, QWidget* parent = nullptr);
    void accept() override;

    void browse();
    void copy_tables();
    void delete_tables();
    void edit_table();
    void toggle_update();

  private:
    void fill_accessible();
    void update_buttons();
    std::vector<std::size_t> selected(const QListWidget* list) const;

    workspace::ApplicationForm& form_;
    QLineEdit* name_;
    QCheckBox* update_;
    QCheckBox* override_;
    QCheckBox* table_list_;
    std::unique_ptr<LimitControls> limits_;
    QGroupBox* tables_box_;
    QListWidget* accessible_;
    QListWidget* available_;
    QPushButton* copy_;
    QPushButton* edit_;
    QPushButton* delete_;
    QLabel* message_;
};

}  // namespace kestra::ui
