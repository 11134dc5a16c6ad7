#pragma once

#include <QDialog>

#include "workspace/table_edit_model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestra::ui {

class CFieldListPanel;

// "Table Edit": a loaded plain table's name, Return Groups and Update Allowed, where condition and fields. OK
// checks the name; the caller sends what changed.
class CTableEditDlg : public QDialog {
    Q_OBJECT

  public:
    CTableEditDlg(workspace::CTableEditModel& edit, const model::CConfigFile& file, QWidget* parent = nullptr);

    workspace::CTableEditModel& edit() { return edit_; }
    CFieldListPanel* fields() const { return fields_; }

    // The buttons beside the field list.
    void replace();
    void add_where();
    void info();

    void accept() override;

  private:
    workspace::CTableEditModel& edit_;
    QLineEdit* name_;
    QCheckBox* return_groups_;
    QCheckBox* update_allowed_;
    CFieldListPanel* fields_;
    QLabel* message_;
};

}  // namespace kestra::ui
