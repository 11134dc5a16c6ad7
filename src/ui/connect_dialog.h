#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "hostlink/connect_dialog_model.h"

namespace Ui {
class ConnectDialog;
}

namespace kestra::ui {

// The "Connect" dialog: draws what ConnectDialogModel holds and hands it what is typed. OK leaves the session's
// provider and connection names set and the user id, scrambled password and chargecode in the model.
class CConnectDlg : public QDialog {
    Q_OBJECT

  public:
    CConnectDlg(hostlink::CHostSession& session, const std::string& ini_path, QWidget* parent = nullptr);
    ~CConnectDlg() override;

    hostlink::ConnectDialogModel& model() { return model_; }

    // A refused OK beeps and puts the focus where the model says, and the dialog stays.
    void accept() override;
    void reject() override;

  private:
    void provider_changed(int index);
    void configure();
    void fill_connections();
    QWidget* focus_widget(hostlink::ConnectDialogModel::Focus focus) const;

    std::unique_ptr<Ui::ConnectDialog> form_;
    hostlink::ConnectDialogModel model_;
};

}  // namespace kestra::ui
