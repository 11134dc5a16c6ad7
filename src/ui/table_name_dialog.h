#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;

namespace kestra::ui {

// Asks for another name for a new table: the reason the proposed one was refused and the name to edit. The name
// is shown whole however long it is, so a length message makes sense; the caller checks it again after OK.
class CTableNameDlg : public QDialog {
    Q_OBJECT

public:
    CTableNameDlg(const std::string& message, const std::string& name, QWidget* parent = nullptr);

    std::string name() const;
    QLineEdit* name_edit() const { return edit_; }
    QLabel* message_line() const { return message_; }

private:
    QLabel* message_;
    QLineEdit* edit_;
};

}  // namespace kestra::ui
