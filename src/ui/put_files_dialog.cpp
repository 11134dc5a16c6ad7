#include "ui/put_files_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/progress_bar.h"

namespace kestra::ui {

namespace {

constexpr int kArchivePathId = 1174;
constexpr int kListId = 1003;
constexpr int kProgressId = 1176;
constexpr int kStatusId = 1179;

}  // namespace

CPutFilesDlg::CPutFilesDlg(workspace::PutFilesController& controller, QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      list_(new QListWidget(this)),
      put_(new QPushButton(tr("&Put"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      status_(new QLabel(this)),
      progress_(new CProgressBar(this)) {
    set_dialog_name(this, QStringLiteral("PutFiles"));
    setWindowTitle(tr("Put Files onto Host"));

    auto* path = new QLabel(QString::fromLocal8Bit(controller_.archive_path()), this);
    set_control_id(path, kArchivePathId);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* list_label = new QLabel(tr("&Files:"), this);
    set_buddy(list_label, list_);
    set_control_id(list_, kListId);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const std::string& name : controller_.names()) list_->addItem(from_host(name));
    set_control_id(put_, kOkId);
    set_control_id(cancel_, kCancelId);
    put_->setDefault(true);
    set_control_id(status_, kStatusId);
    set_control_id(progress_, kProgressId);
    status_->setMinimumHeight(fontMetrics().height());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(put_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(path);
    layout->addWidget(list_label);
    layout->addWidget(list_);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(put_, &QPushButton::clicked, this, &CPutFilesDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CPutFilesDlg::reject);

    workspace::PutFilesView view;
    view.status = [this](const std::string& s) {
        status_->setText(from_host(s));
        status_->repaint();
    };
    view.progress = [this](int percent) { progress_->set_value(percent); };
    view.dispatch_events = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    view.buttons_changed = [this] { update_buttons(); };
    controller_.set_view(std::move(view));
}

CPutFilesDlg::~CPutFilesDlg() {
    controller_.set_view({});
}

void CPutFilesDlg::update_buttons() {
    put_->setEnabled(controller_.buttons_enabled());
}

void CPutFilesDlg::accept() {
    if (controller_.busy()) return;
    std::vector<std::size_t> selected;
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->isSelected()) selected.push_back(static_cast<std::size_t>(row));
    controller_.put(selected);
    for (std::size_t row : controller_.sent()) list_->item(static_cast<int>(row))->setSelected(false);
    update_buttons();
    if (controller_.cancel_requested()) QDialog::reject();
}

void CPutFilesDlg::reject() {
    if (controller_.cancel()) QDialog::reject();
}

void CPutFilesDlg::closeEvent(QCloseEvent* event) {
    if (!controller_.cancel()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace kestra::ui
