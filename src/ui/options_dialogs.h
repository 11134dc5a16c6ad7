#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kestra::configsvc {
class CConfigClient;
}
namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::ui {

// Options: the session's default table settings. OK stores them in the session and sends them to the host.
class COptionsDlg : public QDialog {
    Q_OBJECT
  public:
    COptionsDlg(bool return_groups, bool update_allowed, QWidget* parent = nullptr);
    bool return_groups() const;
    bool update_allowed() const;

  private:
    QCheckBox* groups_;
    QCheckBox* update_;
};

// Preferences: the workstation's four preferences.
class CPreferencesDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CPreferencesDlg(QWidget* parent = nullptr);
    // Copies the four into the application's preferences; they reach kestra.ini when the main window closes.
    void store() const;

  private:
    QCheckBox* confirm_delete_;
    QCheckBox* auto_save_;
    QCheckBox* cobol_;
    QCheckBox* sort_;
};

// Environment Command: one command line at a time to the host; Send keeps the window open for the next.
class CEnvironmentCommandDlg : public QDialog {
    Q_OBJECT
  public:
    CEnvironmentCommandDlg(configsvc::CConfigClient& client, QWidget* parent = nullptr);
    void send();

  private:
    configsvc::CConfigClient& client_;
    QLineEdit* command_;
    QPlainTextEdit* response_;
};

void run_options_dialog(hostlink::CHostSession& session, QWidget* parent);
void run_preferences_dialog(QWidget* parent);
void run_environment_command(configsvc::CConfigClient& client, QWidget* parent);

}  // namespace kestra::ui
