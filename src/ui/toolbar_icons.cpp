#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/artwork.h"
#include "workspace/command_ids.h"

namespace kestra::ui {

namespace cmd = workspace::cmd;

namespace {

constexpr int kSize = 16;

void page(QPainter& p, const QRectF& r) {
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.drawLine(QPointF(r.left() + 2, r.top() + 3), QPointF(r.right() - 2, r.top() + 3));
    p.drawLine(QPointF(r.left() + 2, r.top() + 5.5), QPointF(r.right() - 2, r.top() + 5.5));
}

void draw(QPainter& p, int id) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (id) {
        case cmd::kExit: {  // an open door and an arrow out
            p.setBrush(QColor(150, 110, 60));
            p.drawRect(QRectF(2.5, 1.5, 7, 13));
            p.setPen(QPen(QColor(0, 110, 0), 2));
            p.drawLine(QPointF(8, 8), QPointF(14.5, 8));
            p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
            p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
            break;
        }
        case cmd::kNewConnection: {  // a screen and a line to the host
            p.setBrush(QColor(90, 140, 210));
            p.drawRect(QRectF(1.5, 2.5, 9, 7));
            p.drawLine(QPointF(6, 9.5), QPointF(6, 12.5));
            p.drawLine(QPointF(3, 12.5), QPointF(9, 12.5));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(11.5, 1.5, 3.5, 13));
            p.drawLine(QPointF(10.5, 6), QPointF(11.5, 6));
            break;
        }
        case cmd::kAddConfigFile: {  // a page with a plus
            page(p, QRectF(2.5, 1.5, 9, 12));
            p.setPen(QPen(QColor(0, 120, 0), 2));
            p.drawLine(QPointF(12, 9), QPointF(12, 15));
            p.drawLine(QPointF(9, 12), QPointF(15, 12));
            break;
        }
        case cmd::kSaveConfigFile: {  // a diskette
            p.setBrush(QColor(60, 80, 150));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
            break;
        }
        case cmd::kCut: {  // scissors
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
            p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
            p.setPen(QPen(QColor(40, 40, 40), 1.3));
            p.drawLine(QPointF(6, 10), QPointF(11, 1.5));
            p.drawLine(QPointF(10, 10), QPointF(5, 1.5));
            break;
        }
        case cmd::kCopy: {  // two pages
            page(p, QRectF(1.5, 1.5, 8, 10));
            page(p, QRectF(6.5, 4.5, 8, 10));
            break;
        }
        case cmd::kPaste: {  // a clipboard with a page
            p.setBrush(QColor(160, 120, 70));
            p.drawRect(QRectF(1.5, 2.5, 10, 12));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
            page(p, QRectF(7.5, 6.5, 7, 8.5));
            break;
        }
        default:
            break;
    }
}

}  // namespace

QIcon toolbar_icon(int command_id) {
    return painted_icon(QSize(kSize, kSize),
                        [command_id](QPainter& p, QIcon::Mode, QIcon::State) { draw(p, command_id); });
}

}  // namespace kestra::ui
