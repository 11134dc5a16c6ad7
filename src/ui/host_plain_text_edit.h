#pragma once

#include <QPlainTextEdit>
#include <cstddef>

namespace kestra::ui {

// A wrapping text box for a host text (an expression, a where condition). What is typed or pasted is held to
// Latin-1 and, with a limit, to `max_bytes` characters: a key that would go beyond is refused with a beep, and a
// paste that would is refused whole rather than cut. A loaded value longer than the limit is shown whole. Line
// breaks never reach the host: Return goes to the dialog, and pasted breaks and tabs become blanks.
class HostPlainTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // 0: no limit but Latin-1.
    explicit HostPlainTextEdit(std::size_t max_bytes = 0, QWidget* parent = nullptr);

    std::size_t max_bytes() const { return max_; }
    // The text's length once `insert` replaced the selection: what the limit compares.
    qsizetype length_after(const QString& insert) const;

    // Selects [start, end) and scrolls it into view, leaving the cursor at `cursor_at` (start or end).
    void select_range(qsizetype start, qsizetype end, qsizetype cursor_at);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool acceptable(const QString& insert) const;

    std::size_t max_;
};

// Line breaks and tabs as blanks: a host text is one line.
QString one_line(QString text);

}  // namespace kestra::ui
