#include "ui/table_info_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "model/config_table.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

CTableInfoDlg::CTableInfoDlg(const model::CConfigTable& table, QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, 117);
    setWindowTitle(QStringLiteral("Table Information"));
    auto* group = new QGroupBox(QStringLiteral("DMSII Info"), this);
    auto* form = new QFormLayout(group);
    const struct {
        const char* role;
        const char* caption;
        const model::WireText& value;
    } rows[] = {{"Dataset", "Dataset", table.dataset},
                {"Set", "Set/Subset", table.set},
                {"Database", "Database", table.database},
                {"DescFile", "Description File", table.description_file}};
    int widest = 0;
    for (const auto& row : rows) {
        // Read-only boxes rather than labels: the texts can be selected, copied and read by a screen reader.
        auto* edit = new QLineEdit(from_host(row.value.view()), group);
        edit->setReadOnly(true);
        edit->setCursorPosition(0);
        set_control_role(edit, QStringLiteral("TableInfo"), QString::fromLatin1(row.role));
        auto* label = new QLabel(QString::fromLatin1(row.caption), group);
        label->setBuddy(edit);
        form->addRow(label, edit);
        widest = std::max(widest, edit->fontMetrics().horizontalAdvance(edit->text()));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    set_control_id(ok, kOkId);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    // Wide enough for the longest text, within reason; longer ones scroll in their box.
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    for (auto* edit : group->findChildren<QLineEdit*>())
        edit->setMinimumWidth(std::clamp(widest + 2 * em, em * 16, em * 40));
}

}  // namespace kestra::ui
