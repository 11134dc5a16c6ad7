#pragma once

#include <QDialog>

#include "configsvc/cobol_table_request.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestra::model {
class CConfigFile;
class CConfigTable;
}  // namespace kestra::model

namespace kestra::workspace {
class CAdminDoc;
}

namespace kestra::ui {

// "COBOL Table Selection": a new table whose record the host reads from COBOL source. OK checks the entries, has
// the host build and add the table, and hands it back. The same layout, read only, shows what a table made that
// way was made from.
class CCobolTableDlg : public QDialog {
    Q_OBJECT

public:
    // The longest texts typed into the boxes.
    static constexpr std::size_t kTextMax = 999;

    // A new table for the open configuration file `file`.
    CCobolTableDlg(workspace::CAdminDoc& doc, model::CConfigFile& file, QWidget* parent = nullptr);
    // The information of `table`: name, source and target, nothing to change and nothing sent.
    explicit CCobolTableDlg(const model::CConfigTable& table, QWidget* parent = nullptr);

    bool read_only() const { return doc_ == nullptr; }
    configsvc::CCobolTableRequest& request() { return request_; }
    // After OK: the new tables, already added on the host.
    std::vector<std::unique_ptr<model::CConfigTable>> take_new_tables() { return request_.take_new_tables(); }

    void accept() override;

private:
    void build();
    void mode_chosen(int mode);
    QWidget* control(int id) const;

    workspace::CAdminDoc* doc_ = nullptr;
    model::CConfigFile* file_ = nullptr;
    configsvc::CCobolTableRequest request_;
    QLineEdit* name_ = nullptr;
    QLineEdit* source_ = nullptr;
    QButtonGroup* modes_ = nullptr;
    QLabel* target_label_ = nullptr;
    QLineEdit* target_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* library_ = nullptr;
    QLabel* message_ = nullptr;
};

}  // namespace kestra::ui
