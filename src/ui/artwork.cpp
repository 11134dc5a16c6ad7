#include "ui/artwork.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <cstdlib>
#include <utility>

namespace kestra::ui {

using workspace::NodeGlyph;

namespace {

class PaintedIconEngine : public QIconEngine {
  public:
    PaintedIconEngine(QSize logical, IconPainter draw, bool draws_modes)
        : logical_(logical), draw_(std::move(draw)), draws_modes_(draws_modes) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        if (rect.isEmpty() || logical_.isEmpty()) return;
        if (!draws_modes_ && (mode == QIcon::Disabled || mode == QIcon::Selected)) {
            // The style's look needs pixels: make them at the painter's own ratio.
            const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
            QPixmap pixmap = scaledPixmap(rect.size() * ratio, mode, state, ratio);
            pixmap.setDevicePixelRatio(ratio);
            painter->drawPixmap(rect, pixmap);
            return;
        }
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(qreal(rect.width()) / logical_.width(), qreal(rect.height()) / logical_.height());
        draw_(*painter, mode, state);
        painter->restore();
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (logical_.width() <= size.width() && logical_.height() <= size.height()) return logical_;
        return logical_.scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        // Keeps the picture's shape in a box of another shape, but fills a box of its own shape whole even where
        // the ratio rounded one side differently (50x17 at 1.5 is 75x26).
        QSize fitted = logical_.scaled(size, Qt::KeepAspectRatio);
        if (std::abs(fitted.width() - size.width()) <= 1 && std::abs(fitted.height() - size.height()) <= 1)
            fitted = size;
        return draw_at(fitted, mode, state);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state);
    }

    void virtual_hook(int id, void* data) override {
        if (id == QIconEngine::ScaledPixmapHook) {
            auto& arg = *static_cast<QIconEngine::ScaledPixmapArgument*>(data);
            arg.pixmap = pixmap(arg.size, arg.mode, arg.state);
            return;
        }
        QIconEngine::virtual_hook(id, data);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {logical_}; }
    QString key() const override { return QStringLiteral("kestra-painted"); }
    QIconEngine* clone() const override { return new PaintedIconEngine(*this); }

  private:
    // Draws the picture into a pixmap of `size` device pixels.
    QPixmap draw_at(QSize size, QIcon::Mode mode, QIcon::State state) const {
        if (size.isEmpty() || logical_.isEmpty()) return {};
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter p(&pixmap);
            p.scale(qreal(size.width()) / logical_.width(), qreal(size.height()) / logical_.height());
            draw_(p, draws_modes_ ? mode : QIcon::Normal, state);
        }
        if (!draws_modes_ && (mode == QIcon::Disabled || mode == QIcon::Selected)) {
            QStyleOption option;
            option.palette = QApplication::palette();
            if (QStyle* style = QApplication::style()) return style->generatedIconPixmap(mode, pixmap, &option);
        }
        return pixmap;
    }

    QSize logical_;
    IconPainter draw_;
    bool draws_modes_;
};

// The four tree glyphs: an open and a closed box with a sign, an empty closed box, and a leaf page.
void draw_tree_glyph(QPainter& p, NodeGlyph glyph) {
    const QRect r(0, 0, workspace::kGlyphSize, workspace::kGlyphSize);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    const QRect box = r.adjusted(2, 2, -3, -3);
    if (glyph == NodeGlyph::leaf) {
        const QRect page = r.adjusted(4, 1, -4, -2);
        p.setBrush(Qt::white);
        p.drawRect(page);
        for (int y = page.top() + 4; y < page.bottom() - 1; y += 3) p.drawLine(page.left() + 2, y, page.right() - 2, y);
        return;
    }
    p.setBrush(glyph == NodeGlyph::expanded ? QColor(255, 236, 160) : QColor(240, 200, 96));
    p.drawRect(box);
    const QPoint c = box.center();
    if (glyph != NodeGlyph::collapsed_empty) p.drawLine(c.x() - 3, c.y(), c.x() + 3, c.y());
    if (glyph == NodeGlyph::collapsed) p.drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
}

void draw_table_kind(QPainter& p, bool join) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    if (join) {
        p.drawRect(1, 2, 8, 8);
        p.drawRect(6, 6, 8, 8);
    } else {
        p.drawRect(1, 2, 13, 11);
        p.drawLine(1, 5, 14, 5);
        p.drawLine(6, 5, 6, 13);
    }
}

// A small grid: a table seen from above, with its header row shaded.
void small_table(QPainter& p, const QRectF& r, const QColor& header) {
    p.setPen(QPen(QColor(48, 48, 48), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 0.5, 2.5), header);
    p.drawLine(QPointF(r.left(), r.top() + 3), QPointF(r.right(), r.top() + 3));
    p.drawLine(QPointF(r.center().x(), r.top() + 3), QPointF(r.center().x(), r.bottom()));
}

void draw_join_member(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    small_table(p, QRectF(1.5, 2.5, 13, 11), QColor(90, 140, 210));
}

void draw_join_field(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    // A key: the field two tables are joined on.
    p.setPen(QPen(QColor(110, 80, 20), 1.2));
    p.setBrush(QColor(235, 190, 60));
    p.drawEllipse(QPointF(5, 8), 3.5, 3.5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(5, 8), 1.2, 1.2);
    p.setPen(QPen(QColor(110, 80, 20), 1.6));
    p.drawLine(QPointF(8.5, 8), QPointF(15, 8));
    p.drawLine(QPointF(12, 8), QPointF(12, 11));
    p.drawLine(QPointF(14.5, 8), QPointF(14.5, 11));
}

void draw_join_root(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    // Two tables linked: the join itself.
    small_table(p, QRectF(0.5, 1.5, 8, 7), QColor(90, 140, 210));
    small_table(p, QRectF(7.5, 7.5, 8, 7), QColor(90, 170, 110));
    p.setPen(QPen(QColor(160, 40, 40), 1.4));
    p.drawLine(QPointF(4.5, 8.5), QPointF(4.5, 11));
    p.drawLine(QPointF(4.5, 11), QPointF(7.5, 11));
}

void draw_field(QPainter& p, FieldOrigin origin, bool formatted) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(48, 48, 48), 1));
    switch (origin) {
        case FieldOrigin::host: {  // a column of a host record
            p.setBrush(QColor(90, 140, 210));
            p.drawRect(QRectF(2.5, 1.5, 11, 13));
            p.setPen(QPen(Qt::white, 1));
            for (qreal y = 4.5; y < 13; y += 3) p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
            break;
        }
        case FieldOrigin::offset: {  // a bar of the record with a bracket picking out a piece of it
            p.setPen(QPen(QColor(90, 90, 90), 1));
            p.setBrush(QColor(235, 235, 235));
            p.drawRect(QRectF(0.5, 6.5, 14, 5));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 150, 70));
            p.drawRect(QRectF(5, 7, 5, 4));
            QPainterPath bracket;
            bracket.moveTo(4.5, 4.5);
            bracket.lineTo(4.5, 2.5);
            bracket.lineTo(10.5, 2.5);
            bracket.lineTo(10.5, 4.5);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(30, 110, 40), 1.2));
            p.drawPath(bracket);
            break;
        }
        case FieldOrigin::calculated: {  // a sum sign: worked out from other fields
            QPainterPath sigma;
            sigma.moveTo(12.5, 2.5);
            sigma.lineTo(3.5, 2.5);
            sigma.lineTo(8.5, 8);
            sigma.lineTo(3.5, 13.5);
            sigma.lineTo(12.5, 13.5);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(150, 60, 30), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(sigma);
            break;
        }
    }
    if (!formatted) return;
    // The formatted mark, in the right half: a calendar leaf with a red top and a clock's hands.
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

QIcon painted_icon(QSize logical_size, IconPainter draw, bool draws_modes) {
    return QIcon(new PaintedIconEngine(logical_size, std::move(draw), draws_modes));
}

QIcon tree_glyph_icon(NodeGlyph glyph) {
    return painted_icon(QSize(workspace::kGlyphSize, workspace::kGlyphSize),
                        [glyph](QPainter& p, QIcon::Mode, QIcon::State) { draw_tree_glyph(p, glyph); });
}

QIcon table_kind_icon(bool join) {
    return painted_icon(QSize(16, 16), [join](QPainter& p, QIcon::Mode, QIcon::State) { draw_table_kind(p, join); });
}

QIcon mode_button_icon(const QString& caption, const QFont& font) {
    const QFontMetrics fm(font);
    const QSize size(fm.horizontalAdvance(caption) + 10, fm.height() + 6);
    return painted_icon(
        size,
        [caption, font, size](QPainter& p, QIcon::Mode mode, QIcon::State state) {
            QColor face(236, 236, 236);  // U
            QColor text = Qt::black;
            bool sunken = false;
            if (mode == QIcon::Disabled) {  // X: the current mode
                face = QColor(200, 214, 236);
                text = QColor(40, 60, 120);
            } else if (state == QIcon::On) {  // D
                face = QColor(190, 200, 214);
                sunken = true;
            } else if (mode == QIcon::Active) {  // F
                face = QColor(214, 230, 250);
            }
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QColor(96, 96, 96));
            p.setBrush(face);
            p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
            p.setFont(font);
            p.setPen(text);
            p.drawText(QRect(QPoint(sunken ? 1 : 0, sunken ? 1 : 0), size), Qt::AlignCenter, caption);
        },
        true);
}

QIcon join_member_icon() {
    return painted_icon(QSize(16, 16), [](QPainter& p, QIcon::Mode, QIcon::State) { draw_join_member(p); });
}

QIcon join_field_icon() {
    return painted_icon(QSize(16, 16), [](QPainter& p, QIcon::Mode, QIcon::State) { draw_join_field(p); });
}

QIcon join_root_icon() {
    return painted_icon(QSize(16, 16), [](QPainter& p, QIcon::Mode, QIcon::State) { draw_join_root(p); });
}

QIcon field_icon(FieldOrigin origin, bool formatted) {
    return painted_icon(kFieldIconSize, [origin, formatted](QPainter& p, QIcon::Mode, QIcon::State) {
        draw_field(p, origin, formatted);
    });
}

}  // namespace kestra::ui
