#pragma once

#include <QGroupBox>
#include <array>

#include "workspace/field_edit_form.h"

class QButtonGroup;
class QComboBox;

namespace kestra::ui {

// "Format Type": the five kind buttons and the format list beside them, over a FieldFormatChoice. Field Edit and
// User Defined Field use it with their own control ids.
class CFieldFormatBox : public QGroupBox {
    Q_OBJECT

  public:
    // Ids of Standard, Currency, Date, Time, Timestamp, then of the list.
    CFieldFormatBox(const std::array<int, 6>& ids, workspace::FieldFormatChoice& choice, QWidget* parent = nullptr);

    // Shows the choice as it stands.
    void refresh();
    QComboBox* list() const { return list_; }

  private:
    void kind_chosen(int kind);
    void row_chosen(int row);

    workspace::FieldFormatChoice& choice_;
    QButtonGroup* kinds_;
    QComboBox* list_;
};

}  // namespace kestra::ui
