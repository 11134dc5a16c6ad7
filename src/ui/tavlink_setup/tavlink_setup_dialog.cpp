#include "ui/tavlink_setup/tavlink_setup_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

namespace kestra::ui {

namespace {

// Settings texts are Latin-1 and one line; numbers are digits only.
QValidator* text_validator(std::size_t max, QObject* parent) {
    return new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]{0,%1}").arg(max)), parent);
}

QValidator* number_validator(std::size_t max, QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(max)), parent);
}

QString text_of(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
std::string host_of(const QString& s) {
    return s.toLatin1().toStdString();
}

void name_control(QWidget* w, const char* role) {
    w->setObjectName(QStringLiteral("ctl_TavlinkSetup_") + role);
}

void name_button(QPushButton* b, int id) {
    b->setObjectName(QStringLiteral("ctl_%1").arg(id));
    b->setProperty("ctlId", id);
}

}  // namespace

CTavlinkSetupDlg::CTavlinkSetupDlg(const std::string& ini_path, std::uint16_t global_port, QWidget* owner,
                                   TavlinkSetupHooks hooks)
    : QDialog(owner),
      model_(ini_path, global_port),
      hooks_(std::move(hooks)),
      name_(new QComboBox(this)),
      host_(new QLineEdit(this)),
      port_(new QLineEdit(this)),
      buffer_size_(new QLineEdit(this)),
      translate_file_(new QLineEdit(this)),
      browse_(new QPushButton(tr("B&rowse..."), this)),
      delete_(new QPushButton(tr("&Delete"), this)),
      ok_(new QPushButton(tr("OK"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
    setObjectName(QStringLiteral("dlg_TavlinkSetup"));
    setWindowTitle(tr("TCP/IP Winsock Transport Setup"));
    name_control(name_, "Name");
    name_control(host_, "Host");
    name_control(port_, "Port");
    name_control(buffer_size_, "BufferSize");
    name_control(translate_file_, "TranslateFile");
    name_control(browse_, "Browse");
    name_control(delete_, "Delete");
    name_button(ok_, 1);
    name_button(cancel_, 2);

    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->setCompleter(nullptr);
    name_->lineEdit()->setValidator(text_validator(tavlink::kPathNameMax, this));
    host_->setValidator(text_validator(tavlink::kPathHostMax, this));
    port_->setValidator(number_validator(tavlink::kPathPortMax, this));
    buffer_size_->setValidator(number_validator(tavlink::kPathBufferSizeMax, this));
    translate_file_->setValidator(text_validator(tavlink::kPathTranslateFileMax, this));
    const int wide = fontMetrics().horizontalAdvance(QString(32, QLatin1Char('M')));
    host_->setMinimumWidth(wide);

    auto* form = new QFormLayout;
    auto add_row = [&](const QString& label, QWidget* field) {
        auto* l = new QLabel(label, this);
        l->setBuddy(field);
        form->addRow(l, field);
    };
    add_row(tr("&Name:"), name_);
    add_row(tr("&Host:"), host_);
    add_row(tr("&Port Number:"), port_);
    add_row(tr("Buffer&size:"), buffer_size_);
    auto* translate_row = new QHBoxLayout;
    translate_row->addWidget(translate_file_);
    translate_row->addWidget(browse_);
    auto* translate_label = new QLabel(tr("&Translate Table:"), this);
    translate_label->setBuddy(translate_file_);
    form->addRow(translate_label, translate_row);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(delete_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    ok_->setDefault(true);

    model_.open();
    for (const std::string& name : model_.names()) name_->addItem(text_of(name));
    name_->setCurrentIndex(-1);
    name_->setEditText(QString());

    connect(name_, &QComboBox::activated, this, &CTavlinkSetupDlg::name_chosen);
    connect(name_->lineEdit(), &QLineEdit::textEdited, this, &CTavlinkSetupDlg::name_typed);
    // The box takes the focus for its edit, so leaving it shows on the box.
    name_->installEventFilter(this);
    connect(delete_, &QPushButton::clicked, this, &CTavlinkSetupDlg::delete_path);
    connect(browse_, &QPushButton::clicked, this, &CTavlinkSetupDlg::browse);
    connect(ok_, &QPushButton::clicked, this, &CTavlinkSetupDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CTavlinkSetupDlg::reject);
}

CTavlinkSetupDlg::~CTavlinkSetupDlg() = default;

void CTavlinkSetupDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred over the owner, but never above or left of the screen's origin.
    if (QWidget* owner = parentWidget()) {
        const QRect over = owner->window()->frameGeometry();
        QPoint at = over.center() - QPoint(width() / 2, height() / 2);
        const QRect screen = owner->screen() != nullptr ? owner->screen()->availableGeometry() : QRect();
        at.setX(std::max(at.x(), screen.left()));
        at.setY(std::max(at.y(), screen.top()));
        move(at);
    }
}

void CTavlinkSetupDlg::beep() {
    if (hooks_.beep)
        hooks_.beep();
    else
        QApplication::beep();
}

tavlink::PathFields CTavlinkSetupDlg::shown() const {
    return {host_of(host_->text()), host_of(port_->text()), host_of(buffer_size_->text()),
            host_of(translate_file_->text())};
}

void CTavlinkSetupDlg::show_fields(const tavlink::PathFields& fields) {
    host_->setText(text_of(fields.host));
    port_->setText(text_of(fields.port));
    buffer_size_->setText(text_of(fields.buffer_size));
    translate_file_->setText(text_of(fields.translate_file));
}

void CTavlinkSetupDlg::name_chosen(int index) {
    show_fields(model_.select(index, shown()));
}

void CTavlinkSetupDlg::name_typed(const QString& text) {
    show_fields(model_.typed(host_of(text), shown()));
}

void CTavlinkSetupDlg::name_left() {
    const auto result = model_.name_focus_lost(host_of(name_->currentText()), shown());
    if (result.beep) beep();
    if (!result.added) return;
    const QString text = name_->currentText();
    name_->addItem(text);
    name_->setCurrentIndex(name_->count() - 1);
    show_fields(result.fields);
}

bool CTavlinkSetupDlg::eventFilter(QObject* watched, QEvent* event) {
    // A popup of the combo box itself takes the focus without the name being left.
    if (watched == name_ && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        name_left();
    return QDialog::eventFilter(watched, event);
}

void CTavlinkSetupDlg::delete_path() {
    const int index = model_.remove(host_of(name_->currentText()));
    if (index < 0) {
        beep();
        return;
    }
    name_->removeItem(index);
    name_->setCurrentIndex(-1);
    // The name goes too, or leaving the box would add it again.
    name_->setEditText(QString());
    show_fields({});
}

void CTavlinkSetupDlg::browse() {
    QString chosen;
    if (hooks_.choose_translate_file) {
        chosen = hooks_.choose_translate_file(this);
    } else {
        QFileDialog dialog(this, tr("Select Translate Table"), QString(), tr("Translate Table Files (*.xlt)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("xlt"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty()) return;
    translate_file_->setText(chosen);
    model_.store(shown());
}

void CTavlinkSetupDlg::accept() {
    // A name typed and not yet left counts as left: OK is pressed with the keyboard as often as with the mouse.
    if (name_->hasFocus()) name_left();
    if (!model_.ok(shown())) {
        QMessageBox::warning(this, windowTitle(), tr("The settings file cannot be written."));
        return;
    }
    QDialog::accept();
}

void CTavlinkSetupDlg::reject() {
    model_.cancel();
    QDialog::reject();
}

}  // namespace kestra::ui
