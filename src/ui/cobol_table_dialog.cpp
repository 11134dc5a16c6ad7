#include "ui/cobol_table_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "hostlink/host_session.h"
#include "model/config_file.h"
#include "model/config_table.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"

namespace kestra::ui {

namespace {

constexpr int kTemplate = 115;
constexpr int kTargetLabelId = 1172;
constexpr int kMessageId = 1173;
constexpr int kLibraryId = 1049;
constexpr int kFirstModeId = 1073;

constexpr const char* kModeCaptions[] = {"&FD Name", "&01 Level Name", "FD Se&quence Number",
                                         "01 &Level Sequence Number"};

}  // namespace

CCobolTableDlg::CCobolTableDlg(workspace::CAdminDoc& doc, model::CConfigFile& file, QWidget* parent)
    : QDialog(parent), doc_(&doc), file_(&file) {
    build();
    limit_host_text(name_, configsvc::kCobolTableNameMax, true);
    limit_host_text(source_, kTextMax);
    limit_host_text(target_, configsvc::kCobolTargetMax);
    limit_host_text(title_, kTextMax);
    limit_host_text(library_, kTextMax);
    modes_->button(static_cast<int>(configsvc::CobolStartMode::fd_name))->setChecked(true);
    mode_chosen(static_cast<int>(configsvc::CobolStartMode::fd_name));
    connect(modes_, &QButtonGroup::idClicked, this, &CCobolTableDlg::mode_chosen);
    name_->setFocus(Qt::OtherFocusReason);
}

CCobolTableDlg::CCobolTableDlg(const model::CConfigTable& table, QWidget* parent) : QDialog(parent) {
    build();
    setProperty("readOnly", true);
    name_->setText(from_host(table.name.view()));
    source_->setText(from_host(table.description_file.view()));
    target_->setText(from_host(table.database.view()));
    // How the record was found is not kept with the table.
    target_label_->setText(QStringLiteral("Target"));
    for (QAbstractButton* b : modes_->buttons()) {
        b->setChecked(false);
        b->setEnabled(false);
    }
    for (QLineEdit* edit : {name_, source_, target_, title_, library_}) edit->setReadOnly(true);
}

void CCobolTableDlg::build() {
    set_dialog_name(this, kTemplate);
    setWindowTitle(QStringLiteral("COBOL Table Selection"));

    // One grid for every labelled box, so the boxes above and below the start modes line up.
    auto* grid = new QGridLayout;
    auto line = [this, grid](int id, const QString& caption) {
        auto* edit = new QLineEdit(this);
        set_control_id(edit, id);
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    name_ = line(configsvc::kCobolTableNameControl, QStringLiteral("Table &Name"));
    source_ = line(configsvc::kCobolSourceControl, QStringLiteral("COBOL &Source File"));
    source_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(40, QLatin1Char('X'))));

    auto* group_box = new QGroupBox(QStringLiteral("Start At"), this);
    auto* group_layout = new QGridLayout(group_box);
    modes_ = new QButtonGroup(this);
    for (int mode = 0; mode < 4; ++mode) {
        auto* radio = new QRadioButton(QString::fromLatin1(kModeCaptions[mode]), group_box);
        set_control_id(radio, kFirstModeId + mode);
        modes_->addButton(radio, mode);
        group_layout->addWidget(radio, mode / 2, mode % 2);
    }
    grid->addWidget(group_box, grid->rowCount(), 0, 1, 2);

    target_ = new QLineEdit(this);
    set_control_id(target_, configsvc::kCobolTargetControl);
    target_label_ = new QLabel(this);
    set_control_id(target_label_, kTargetLabelId);
    target_label_->setBuddy(target_);
    // Wide enough for the longest of the four captions, so relabelling does not move the boxes.
    target_label_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Sequence Number of 01 Level")) + 4);
    const int target_row = grid->rowCount();
    grid->addWidget(target_label_, target_row, 0);
    grid->addWidget(target_, target_row, 1);
    title_ = line(configsvc::kCobolDataFileControl, QStringLiteral("&Title of Data File"));
    library_ = line(kLibraryId, QStringLiteral("Access Li&brary"));
    grid->setColumnStretch(1, 1);

    message_ = new QLabel(this);
    set_control_id(message_, kMessageId);
    message_->setWordWrap(true);
    message_->setMinimumHeight(fontMetrics().lineSpacing());

    auto* box = new QDialogButtonBox(this);
    if (doc_ != nullptr) {
        box->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        set_control_id(box->button(QDialogButtonBox::Ok), kOkId);
        set_control_id(box->button(QDialogButtonBox::Cancel), kCancelId);
    } else {
        box->setStandardButtons(QDialogButtonBox::Close);
        set_control_id(box->button(QDialogButtonBox::Close), kCancelId);
    }
    connect(box, &QDialogButtonBox::accepted, this, &CCobolTableDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CCobolTableDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(message_);
    layout->addWidget(box);
}

void CCobolTableDlg::mode_chosen(int mode) {
    if (mode < 0 || mode > 3) return;
    request_.set_mode(static_cast<configsvc::CobolStartMode>(mode));
    target_label_->setText(QString::fromLatin1(request_.target_label()));
}

QWidget* CCobolTableDlg::control(int id) const {
    return find_control(this, id);
}

void CCobolTableDlg::accept() {
    if (read_only()) {
        QDialog::accept();
        return;
    }
    request_.table_name = to_host(name_->text());
    request_.source_file = to_host(source_->text());
    request_.target = to_host(target_->text());
    request_.data_file_title = to_host(title_->text());
    request_.access_library = to_host(library_->text());
    const std::int16_t rc = request_.ok(doc_->client(), *file_);
    // The checks clean the name and pad a sequence number in place; the boxes show what was used.
    name_->setText(from_host(request_.table_name));
    target_->setText(from_host(request_.target));
    if (rc != hostlink::kSuccess && !request_.message().empty()) {
        refuse_field(control(request_.focus_control()), message_, from_host(request_.message()));
        return;
    }
    message_->clear();
    // A failed step shows its errors and the dialog stays; after the add, only a failed unload can have left any.
    doc_->session().show_errors();
    if (rc != hostlink::kSuccess) return;
    QDialog::accept();
}

}  // namespace kestra::ui
