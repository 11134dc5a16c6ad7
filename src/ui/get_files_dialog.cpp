#include "ui/get_files_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/progress_bar.h"

namespace kestra::ui {

namespace {

// The edit's buffer holds 260 characters with its terminator.
constexpr std::size_t kNameMax = 259;
constexpr int kGetId = 3;
constexpr int kArchivePathId = 1174;
constexpr int kNameId = 1175;
constexpr int kProgressId = 1176;
constexpr int kStatusId = 1177;

}  // namespace

CGetFilesDlg::CGetFilesDlg(workspace::GetFilesController& controller, QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      name_(new QLineEdit(this)),
      get_(new QPushButton(tr("&Get"), this)),
      save_(new QPushButton(tr("&Save"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      status_(new QLabel(this)),
      progress_(new CProgressBar(this)) {
    set_dialog_name(this, QStringLiteral("GetFiles"));
    setWindowTitle(tr("Get Files from Host"));

    auto* path = new QLabel(QString::fromLocal8Bit(controller_.archive_path()), this);
    set_control_id(path, kArchivePathId);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* path_label = new QLabel(tr("Archive:"), this);
    set_control_id(name_, kNameId);
    limit_host_text(name_, kNameMax);
    name_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(40, QLatin1Char('M'))));
    auto* name_label = new QLabel(tr("&Host file or @list file:"), this);
    name_label->setBuddy(name_);
    set_control_id(get_, kGetId);
    set_control_id(save_, kOkId);
    set_control_id(cancel_, kCancelId);
    set_control_id(status_, kStatusId);
    set_control_id(progress_, kProgressId);
    status_->setMinimumHeight(fontMetrics().height());

    auto* fields = new QGridLayout;
    fields->addWidget(path_label, 0, 0);
    fields->addWidget(path, 0, 1);
    fields->addWidget(name_label, 1, 0);
    fields->addWidget(name_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(get_);
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(get_, &QPushButton::clicked, this, &CGetFilesDlg::get);
    connect(save_, &QPushButton::clicked, this, &CGetFilesDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CGetFilesDlg::reject);
    // Enter fetches what was typed; only with the edit empty does it save and close.
    connect(name_, &QLineEdit::textChanged, this, &CGetFilesDlg::update_buttons);
    update_buttons();
    name_->setFocus(Qt::OtherFocusReason);

    workspace::GetFilesView view;
    view.status = [this](const std::string& s) {
        status_->setText(from_host(s));
        status_->repaint();
    };
    view.progress = [this](int percent) { progress_->set_value(percent); };
    view.dispatch_events = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    view.buttons_changed = [this] { update_buttons(); };
    controller_.set_view(std::move(view));
}

CGetFilesDlg::~CGetFilesDlg() {
    controller_.set_view({});
}

void CGetFilesDlg::update_buttons() {
    const bool enabled = controller_.buttons_enabled();
    get_->setEnabled(enabled);
    save_->setEnabled(enabled);
    const bool get_default = workspace::GetFilesController::get_is_default(to_host(name_->text()));
    get_->setDefault(get_default);
    save_->setDefault(!get_default);
}

void CGetFilesDlg::get() {
    if (controller_.busy()) return;
    const std::string text = to_host(name_->text());
    name_->clear();
    if (text.empty()) return;

    controller_.get(text);
    update_buttons();
    // A Cancel, Escape or close that came while the list ran ends the window now.
    if (controller_.cancel_requested()) QDialog::reject();
}

void CGetFilesDlg::accept() {
    if (!controller_.save_allowed()) return;
    QDialog::accept();
}

void CGetFilesDlg::reject() {
    if (controller_.cancel()) QDialog::reject();
}

void CGetFilesDlg::closeEvent(QCloseEvent* event) {
    if (!controller_.cancel()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace kestra::ui
