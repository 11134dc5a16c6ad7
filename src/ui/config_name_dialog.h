#pragma once

#include <QDialog>
#include <string>

#include "configsvc/config_file_names.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestra::model {
class CServerNode;
}

namespace kestra::ui {

// The name of a configuration file: dialog 102 "Add Configuration File " for Add and Paste, dialog 101 "Rename
// Configuration File Name" for Rename. OK trims the name and checks it against the tree; a refused name keeps the
// dialog open with the reason in its message line. A rename to the same name closes it as Cancel.
class CConfigNameDlg : public QDialog {
    Q_OBJECT

public:
    // Names are up to this many Latin-1 bytes, typed in upper case.
    static constexpr std::size_t kMaxName = 999;

    CConfigNameDlg(configsvc::NameUse use, const model::CServerNode& tree, std::string current = {},
                   QWidget* parent = nullptr);

    // The checked name after OK.
    const std::string& name() const { return name_; }
    QLineEdit* edit() const { return edit_; }

    void accept() override;

private:
    configsvc::NameUse use_;
    const model::CServerNode& tree_;
    std::string current_;
    std::string name_;
    QLineEdit* edit_;
    QLabel* message_;
    QPushButton* ok_;
};

}  // namespace kestra::ui
