#pragma once

#include <QDialog>

#include "model/config_field.h"
#include "model/config_table.h"
#include "workspace/user_defined_field_form.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kestra::ui {

class CFieldFormatBox;

// "User Defined Field": a new field or an existing one defined by an offset into the record or by a calculation.
// OK checks what was entered; the caller then appends the new field (take_new_field) or the dialog has stored the
// values into the field it edits.
class CUserDefinedFieldDlg : public QDialog {
    Q_OBJECT

  public:
    // `field` null: a new field.
    CUserDefinedFieldDlg(model::CConfigTable& table, model::CConfigField* field, QWidget* parent = nullptr);

    const workspace::UserDefinedFieldForm& form() const { return form_; }
    // After OK on a new field: the field to append (once).
    std::unique_ptr<model::CConfigField> take_new_field() { return std::move(new_field_); }

    void accept() override;

  private:
    void origin_chosen(bool calculated);
    void offset_type_chosen(int index);
    void calc_type_chosen(int type);
    void length_edited(const QString& text);
    void decimals_edited(const QString& text);
    void step_decimals(int step);
    void open_assistant();
    // Shows the controls of the origin and data type, and the size values of the form.
    void refresh();
    void take_values();

    model::CConfigTable& table_;
    model::CConfigField* field_;
    workspace::UserDefinedFieldForm form_;
    std::unique_ptr<model::CConfigField> new_field_;

    QLineEdit* name_;
    QCheckBox* update_;
    QLabel* message_;
    CFieldFormatBox* format_;
    QRadioButton* offset_origin_;
    QRadioButton* calc_origin_;
    QComboBox* offset_type_;
    QButtonGroup* calc_types_;
    QWidget* calc_type_row_;
    QLabel* length_label_;
    QLineEdit* length_;
    QLabel* decimals_label_;
    QLineEdit* decimals_;
    QToolButton* decimals_up_;
    QToolButton* decimals_down_;
    QCheckBox* signed_;
    QWidget* bit_row_;
    QButtonGroup* bits_;
    QWidget* calc_definition_;
    QLineEdit* definition_;
    QPushButton* assistant_;
    QWidget* offset_definition_;
    QLineEdit* offset_;
    QRadioButton* chars_;
    QRadioButton* digits_;
    QRadioButton* start_;
    QRadioButton* end_;
    QComboBox* base_;
};

}  // namespace kestra::ui
