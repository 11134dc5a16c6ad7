#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace kestra::ui {

// "Add Join Table" (148): picks one of the tables that may join, by OK or a double click.
class CAddJoinTableDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAddJoinTableDlg(const std::vector<std::string>& tables, QWidget* parent = nullptr);

    // The picked row after OK; -1 when none.
    int selected() const;
    QListWidget* list() const { return list_; }

  private:
    QListWidget* list_;
    QPushButton* ok_;
};

}  // namespace kestra::ui
