#pragma once

#include <QDialog>

#include "workspace/put_files_controller.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kestra::ui {

class CProgressBar;

// "Put Files onto Host": the archived files in table order; Put sends the selected ones in list order, deselects
// each that went and leaves the window open; Cancel closes it (after the entry under way, while entries go).
class CPutFilesDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CPutFilesDlg(workspace::PutFilesController& controller, QWidget* parent = nullptr);
    ~CPutFilesDlg() override;

    CProgressBar* progress_bar() const { return progress_; }

    // Put (OK): sends and stays.
    void accept() override;
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void update_buttons();

    workspace::PutFilesController& controller_;
    QListWidget* list_;
    QPushButton* put_;
    QPushButton* cancel_;
    QLabel* status_;
    CProgressBar* progress_;
};

}  // namespace kestra::ui
