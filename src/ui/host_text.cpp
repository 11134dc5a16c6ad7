#include "ui/host_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/ui_seams.h"

namespace kestra::ui {

QString from_host(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string to_host(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

HostTextValidator::HostTextValidator(QLineEdit* edit, std::size_t max_bytes, bool upper)
    : QValidator(edit),
      edit_(edit),
      committed_(edit->text().size()),
      max_(static_cast<qsizetype>(max_bytes)),
      upper_(upper) {
    // The line edit shows the new text before it asks; the length to compare with is the last one it kept.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { committed_ = text.size(); });
}

QValidator::State HostTextValidator::validate(QString& input, int&) const {
    for (QChar& c : input) {
        if (c.unicode() > 0xFF) return Invalid;
        if (upper_ && c.unicode() >= 'a' && c.unicode() <= 'z') c = QChar(c.unicode() - ('a' - 'A'));
    }
    if (input.size() <= max_) return Acceptable;
    // Over the limit: a value being loaded is kept whole; typing may shorten it but not make it longer.
    if (!edit_->isModified()) return Intermediate;
    return input.size() <= committed_ ? Intermediate : Invalid;
}

void limit_host_text(QLineEdit* edit, std::size_t max_bytes, bool upper) {
    edit->setValidator(new HostTextValidator(edit, max_bytes, upper));
}

void refuse_field(QWidget* field, QLabel* message_line, const QString& message) {
    if (message_line != nullptr) message_line->setText(message);
    seams().beep();
    if (field == nullptr) return;
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(field); combo != nullptr && combo->lineEdit() != nullptr)
        combo->lineEdit()->selectAll();
}

}  // namespace kestra::ui
