#pragma once

#include <QComboBox>
#include <QDialog>
#include <functional>

#include "configsvc/table_selection_model.h"

class QListWidget;
class QPushButton;

namespace kestra::workspace {
class CAdminDoc;
}

namespace kestra::ui {

// A combo box that asks before its list drops down; the list stays up only when the answer is yes. The database
// box fetches its entries that way.
class DropDownComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;
    std::function<bool()> before_popup;
    void showPopup() override;
};

// "DMSII Table Selection": new tables over the datasets and sets of a database of a description file. The
// description files come from the host as the dialog opens, a file's databases when their box first drops down,
// a database's datasets when it is chosen. OK hands the new tables to the caller, which adds them on the host.
class CTableSelectionDlg : public QDialog {
    Q_OBJECT

public:
    // `existing` are the configuration file's tables, for the duplicate rule; they must outlive the dialog.
    CTableSelectionDlg(workspace::CAdminDoc& doc, const configsvc::TableList& existing, QWidget* parent = nullptr);

    configsvc::CTableSelectionModel& model() { return model_; }
    // After OK: the new tables, taken from the dialog.
    configsvc::TableList take_new_tables() { return model_.take_new_tables(); }

    // The commands of the dialog's buttons.
    void copy();
    void copy_all();
    void delete_tables();

private:
    void load_descfiles();
    void descfile_changed(const QString& text);
    bool fetch_databases();
    void database_chosen(int index);
    void show_datasets();
    void show_new_tables();
    void update_buttons();
    void insert_first_selected();
    // The table name dialog; false on Cancel.
    bool edit_name(const std::string& message, std::string& name);

    workspace::CAdminDoc& doc_;
    configsvc::CTableSelectionModel model_;
    QComboBox* descfiles_;
    DropDownComboBox* databases_;
    QListWidget* datasets_;
    QListWidget* tables_;
    QPushButton* copy_;
    QPushButton* copy_all_;
    QPushButton* delete_;
    QPushButton* ok_;
};

}  // namespace kestra::ui
