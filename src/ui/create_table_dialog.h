#pragma once

#include <QDialog>

#include "workspace/table_create_controller.h"

class QRadioButton;

namespace kestra::ui {

// "Create Table": a plain table or a join.
class CCreateTableDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CCreateTableDlg(workspace::TableType initial, QWidget* parent = nullptr);

    workspace::TableType choice() const;

  private:
    QRadioButton* normal_;
    QRadioButton* join_;
};

}  // namespace kestra::ui
