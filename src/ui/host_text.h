#pragma once

#include <QString>
#include <QValidator>
#include <cstddef>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QWidget;

namespace kestra::ui {

// Host texts are Latin-1 both ways.
QString from_host(std::string_view bytes);
// Characters beyond Latin-1 never reach the host: the validators refuse them as they are typed.
std::string to_host(const QString& text);

// Limits what is typed into a field that goes to the host: Latin-1 characters only, at most `max_bytes` of them,
// and with `upper` the letters a-z turned to capitals (nothing else: the host's upper case is ASCII). A value
// loaded from the host may be longer than the limit; it is kept, and typing may shorten it but never lengthen it.
class HostTextValidator : public QValidator {
  public:
    HostTextValidator(QLineEdit* edit, std::size_t max_bytes, bool upper = false);
    State validate(QString& input, int& pos) const override;

  private:
    QLineEdit* edit_;
    qsizetype committed_;
    qsizetype max_;
    bool upper_;
};

// Installs a HostTextValidator on the field.
void limit_host_text(QLineEdit* edit, std::size_t max_bytes, bool upper = false);

// A refused entry: shows the message in the dialog's message line (when it has one), beeps, and puts the focus on
// the field with its text selected.
void refuse_field(QWidget* field, QLabel* message_line = nullptr, const QString& message = {});

}  // namespace kestra::ui
