#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace kestra::ui {

// "Replace": a text to find in every field name of a table and the text to put in its place.
class CReplaceDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CReplaceDlg(QWidget* parent = nullptr);

    std::string from() const;
    std::string to() const;

  private:
    QLineEdit* from_;
    QLineEdit* to_;
};

}  // namespace kestra::ui
