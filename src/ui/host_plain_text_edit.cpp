#include "ui/host_plain_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

#include "ui/ui_seams.h"

namespace kestra::ui {

QString one_line(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t') ||
            c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char(' ');
    return text;
}

HostPlainTextEdit::HostPlainTextEdit(std::size_t max_bytes, QWidget* parent) : QPlainTextEdit(parent), max_(max_bytes) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

qsizetype HostPlainTextEdit::length_after(const QString& insert) const {
    const QTextCursor cursor = textCursor();
    const qsizetype selected = cursor.selectionEnd() - cursor.selectionStart();
    // The document counts a paragraph separator at its end; the text does not.
    const qsizetype current = document()->characterCount() - 1;
    return current - selected + insert.size();
}

bool HostPlainTextEdit::acceptable(const QString& insert) const {
    for (QChar c : insert)
        if (c.unicode() > 0xFF) return false;
    if (max_ == 0) return true;
    const qsizetype after = length_after(insert);
    // Typing may always shorten a loaded value that is already over the limit.
    return after <= static_cast<qsizetype>(max_) || after < document()->characterCount() - 1;
}

void HostPlainTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The dialog's default button takes it.
        event->ignore();
        return;
    }
    const QString text = event->text();
    const bool printable =
        !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (printable && !acceptable(text)) {
        seams().beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void HostPlainTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    // A composed character arrives here rather than as a key.
    if (!event->commitString().isEmpty() && !acceptable(event->commitString())) {
        seams().beep();
        QInputMethodEvent without_commit(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&without_commit);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool HostPlainTextEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void HostPlainTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    const QString text = one_line(source->text());
    if (!acceptable(text)) {
        // Refused whole: a paste cut short would change the condition unseen.
        seams().beep();
        return;
    }
    textCursor().insertText(text);
    ensureCursorVisible();
}

void HostPlainTextEdit::select_range(qsizetype start, qsizetype end, qsizetype cursor_at) {
    const qsizetype length = document()->characterCount() - 1;
    start = std::clamp<qsizetype>(start, 0, length);
    end = std::clamp<qsizetype>(end, start, length);
    QTextCursor cursor(document());
    const bool at_start = cursor_at <= start;
    cursor.setPosition(static_cast<int>(at_start ? end : start));
    cursor.setPosition(static_cast<int>(at_start ? start : end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

}  // namespace kestra::ui
