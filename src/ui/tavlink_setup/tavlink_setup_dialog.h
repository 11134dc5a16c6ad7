#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "tavlink/setup_model.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestra::ui {

// What the setup dialog asks of the machine; tests answer these. Left empty: the system's beep and file dialog.
struct TavlinkSetupHooks {
    std::function<void()> beep;
    // The chosen translate table file, or an empty text.
    std::function<QString(QWidget* parent)> choose_translate_file;
};

// "TCP/IP Winsock Transport Setup": the provider's paths, one shown at a time. It lives in the provider's setup
// library, apart from the program's windows, and draws what tavlink::SetupModel holds.
class CTavlinkSetupDlg : public QDialog {
    Q_OBJECT

  public:
    CTavlinkSetupDlg(const std::string& ini_path, std::uint16_t global_port, QWidget* owner = nullptr,
                     TavlinkSetupHooks hooks = {});
    ~CTavlinkSetupDlg() override;

    tavlink::SetupModel& model() { return model_; }

    void accept() override;
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    tavlink::PathFields shown() const;
    void show_fields(const tavlink::PathFields& fields);
    void name_chosen(int index);
    void name_typed(const QString& text);
    void name_left();
    void delete_path();
    void browse();
    void beep();

    tavlink::SetupModel model_;
    TavlinkSetupHooks hooks_;
    QComboBox* name_;
    QLineEdit* host_;
    QLineEdit* port_;
    QLineEdit* buffer_size_;
    QLineEdit* translate_file_;
    QPushButton* browse_;
    QPushButton* delete_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace kestra::ui
