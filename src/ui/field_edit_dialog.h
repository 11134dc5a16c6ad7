#pragma once

#include <QDialog>

#include "model/config_field.h"
#include "model/config_table.h"
#include "workspace/field_edit_form.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kestra::ui {

class CFieldFormatBox;

// "Field Edit": name, Hide, Update Allowed and format of a field of the host record. OK checks the name and stores
// what changed into the field with its marks; Cancel leaves the field as it was.
class CFieldEditDlg : public QDialog {
    Q_OBJECT

  public:
    CFieldEditDlg(model::CConfigTable& table, model::CConfigField& field, QWidget* parent = nullptr);

    void accept() override;

  private:
    model::CConfigTable& table_;
    model::CConfigField& field_;
    workspace::FieldEditForm form_;
    QLineEdit* name_;
    QLabel* message_;
    QCheckBox* hide_;
    QCheckBox* update_;
    CFieldFormatBox* format_;
};

// "Rename Field": a new name for one field. OK renames it (an identical name changes nothing).
class CRenameFieldDlg : public QDialog {
    Q_OBJECT

  public:
    CRenameFieldDlg(model::CConfigTable& table, model::CConfigField& field, QWidget* parent = nullptr);

    void accept() override;

  private:
    model::CConfigTable& table_;
    model::CConfigField& field_;
    QLineEdit* name_;
    QLabel* message_;
};

}  // namespace kestra::ui
