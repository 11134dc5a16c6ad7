#pragma once

#include <QDialog>
#include <memory>

#include "workspace/get_files_controller.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestra::ui {

class CProgressBar;

// "Get Files from Host": a host file name, or "@" and a list file's path, fetched into the new archive by Get;
// Save keeps the archive, Cancel drops it. While a list runs the buttons are off and Cancel, Escape or closing
// only ask the list to stop after the file under way; the window then ends as cancelled.
class CGetFilesDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CGetFilesDlg(workspace::GetFilesController& controller, QWidget* parent = nullptr);
    ~CGetFilesDlg() override;

    CProgressBar* progress_bar() const { return progress_; }

    void accept() override;
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void get();
    void update_buttons();

    workspace::GetFilesController& controller_;
    QLineEdit* name_;
    QPushButton* get_;
    QPushButton* save_;
    QPushButton* cancel_;
    QLabel* status_;
    CProgressBar* progress_;
};

}  // namespace kestra::ui
