#pragma once

#include <QDialog>

namespace kestra::model {
class CConfigTable;
}

namespace kestra::ui {

// "Table Information": what a DMSII table is made over, to read.
class CTableInfoDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CTableInfoDlg(const model::CConfigTable& table, QWidget* parent = nullptr);
};

}  // namespace kestra::ui
