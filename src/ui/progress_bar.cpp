#include "ui/progress_bar.h"

#include <QPainter>

namespace kestra::ui {

namespace {

const QColor kBlue(0x00, 0x00, 0xFF);

}  // namespace

CProgressBar::CProgressBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Progress"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CProgressBar::set_value(int percent) {
    if (percent < -1) percent = -1;
    if (percent > 100) percent = 100;
    if (percent == value_) return;
    value_ = percent;
    setAccessibleDescription(value_ < 0 ? QString() : QStringLiteral("%1%").arg(value_));
    repaint();
}

QSize CProgressBar::sizeHint() const {
    return {200, fontMetrics().height() + 6};
}

void CProgressBar::paintEvent(QPaintEvent*) {
    if (value_ < 0) return;
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    if (inner.isEmpty()) return;
    const int filled = inner.width() * value_ / 100;
    const QRect done(inner.left(), inner.top(), filled, inner.height());
    const QRect rest(inner.left() + filled, inner.top(), inner.width() - filled, inner.height());
    const QString text = QStringLiteral("%1%").arg(value_);

    // The text is drawn twice, each time clipped to its half, so a letter the edge crosses shows in both colours.
    painter.fillRect(rest, Qt::white);
    painter.fillRect(done, kBlue);
    painter.setClipRect(rest);
    painter.setPen(kBlue);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(done);
    painter.setPen(Qt::white);
    painter.drawText(inner, Qt::AlignCenter, text);
}

}  // namespace kestra::ui
