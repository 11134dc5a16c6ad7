#include "ui/field_glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "model/config_field.h"

namespace kestra::ui {

namespace {

// A record of the host: a small card with its rows of data.
void draw_host(QPainter& p) {
    p.setPen(QPen(QColor(40, 70, 120), 1));
    p.setBrush(QColor(200, 218, 240));
    p.drawRect(QRectF(1.5, 2.5, 12, 11));
    p.setPen(QPen(QColor(40, 70, 120), 1));
    for (const qreal y : {5.5, 8.5, 11.5}) p.drawLine(QPointF(3.5, y), QPointF(11.5, y));
}

// A part of the record: a bar with a bracket picking out a piece of it.
void draw_offset(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(0.5, 6.5, 14, 5));
    p.setBrush(QColor(60, 150, 70));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(5, 7, 5, 4));
    p.setPen(QPen(QColor(30, 110, 40), 1.2));
    QPainterPath bracket;
    bracket.moveTo(4.5, 4.5);
    bracket.lineTo(4.5, 2.5);
    bracket.lineTo(10.5, 2.5);
    bracket.lineTo(10.5, 4.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(bracket);
}

// A calculation: "fx" on a rounded tile.
void draw_calculated(QPainter& p) {
    p.setPen(QPen(QColor(140, 80, 20), 1));
    p.setBrush(QColor(252, 226, 180));
    p.drawRoundedRect(QRectF(0.5, 1.5, 14, 13), 2, 2);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(10);
    font.setItalic(true);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(110, 50, 0));
    p.drawText(QRectF(0.5, 1.5, 14, 13), Qt::AlignCenter, QStringLiteral("fx"));
}

// Formatted: a calendar leaf with a red top and a clock hand.
void draw_formatted(QPainter& p) {
    p.translate(17, 0);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 12, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(2, 3, 11, 3));
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.drawLine(QPointF(7.5, 9.5), QPointF(7.5, 7.5));
    p.drawLine(QPointF(7.5, 9.5), QPointF(10, 11));
}

}  // namespace

QPixmap field_glyph(std::int32_t field_kind, bool formatted, qreal device_pixel_ratio) {
    const qreal ratio = device_pixel_ratio > 0 ? device_pixel_ratio : 1.0;
    QPixmap pixmap(qRound(32 * ratio), qRound(16 * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    switch (field_kind) {
        case model::FieldKind::user_defined:
            draw_offset(p);
            break;
        case model::FieldKind::calculated:
            draw_calculated(p);
            break;
        default:
            draw_host(p);
            break;
    }
    if (formatted) draw_formatted(p);
    return pixmap;
}

}  // namespace kestra::ui
