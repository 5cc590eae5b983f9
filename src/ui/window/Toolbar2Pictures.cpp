#include "ui/window/Toolbar2Pictures.h"

#include "ui/widgets/PaintedIconEngine.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Pictures are drawn on a 24 x 24 grid that is scaled to the square asked for.
void toGrid(QPainter& painter, const QRectF& square)
{
    painter.translate(square.topLeft());
    painter.scale(square.width() / 24.0, square.height() / 24.0);
}

QColor tone(const QColor& color, QIcon::Mode mode)
{
    if (mode != QIcon::Disabled)
        return color;
    const int grey = qGray(color.rgb());
    return QColor(grey, grey, grey, 120);
}

QPen outline(QIcon::Mode mode, qreal width = 1.6)
{
    QPen pen(tone(QColor(0x2b, 0x3a, 0x4a), mode), width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void drawShare(QPainter& painter, const QRectF& square, QIcon::Mode mode)
{
    toGrid(painter, square);
    // A globe ...
    painter.setPen(outline(mode, 1.4));
    painter.setBrush(tone(QColor(0x8e, 0xc9, 0xf0), mode));
    painter.drawEllipse(QRectF(2.5, 7.5, 14, 14));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(6.5, 7.5, 6, 14));
    painter.drawLine(QPointF(2.5, 14.5), QPointF(16.5, 14.5));
    // ... and an arrow going up from it.
    QPainterPath arrow;
    arrow.moveTo(18, 2);
    arrow.lineTo(23, 8);
    arrow.lineTo(20, 8);
    arrow.lineTo(20, 15);
    arrow.lineTo(16, 15);
    arrow.lineTo(16, 8);
    arrow.lineTo(13, 8);
    arrow.closeSubpath();
    painter.setPen(outline(mode, 1.2));
    painter.setBrush(tone(QColor(0x3c, 0xa3, 0x4f), mode));
    painter.drawPath(arrow);
}

void drawTools(QPainter& painter, const QRectF& square, QIcon::Mode mode)
{
    toGrid(painter, square);
    painter.translate(12, 12);
    painter.rotate(45);
    QPainterPath wrench;
    // Handle.
    wrench.addRoundedRect(QRectF(-2, -3, 4, 14), 2, 2);
    // Open jaw at the top.
    QPainterPath head;
    head.addEllipse(QRectF(-5.5, -12, 11, 11));
    QPainterPath jaw;
    jaw.addRect(QRectF(-2, -13, 4, 6));
    wrench = wrench.united(head.subtracted(jaw));
    painter.setPen(outline(mode, 1.3));
    painter.setBrush(tone(QColor(0xb8, 0xc2, 0xcc), mode));
    painter.drawPath(wrench);
}

void drawQuit(QPainter& painter, const QRectF& square, QIcon::Mode mode)
{
    toGrid(painter, square);
    // The door frame and the open door.
    painter.setPen(outline(mode));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(3, 2.5, 11, 19));
    QPainterPath door;
    door.moveTo(3, 2.5);
    door.lineTo(10, 5);
    door.lineTo(10, 23);
    door.lineTo(3, 21.5);
    door.closeSubpath();
    painter.setBrush(tone(QColor(0xc8, 0x8a, 0x4e), mode));
    painter.drawPath(door);
    // The arrow leaving.
    QPainterPath arrow;
    arrow.moveTo(13, 10.5);
    arrow.lineTo(18, 10.5);
    arrow.lineTo(18, 7);
    arrow.lineTo(23, 12);
    arrow.lineTo(18, 17);
    arrow.lineTo(18, 13.5);
    arrow.lineTo(13, 13.5);
    arrow.closeSubpath();
    painter.setPen(outline(mode, 1.1));
    painter.setBrush(tone(QColor(0xd9, 0x43, 0x3b), mode));
    painter.drawPath(arrow);
}

} // namespace

namespace Toolbar2Pictures {

QIcon share() { return PaintedIconEngine::icon(drawShare); }
QIcon tools() { return PaintedIconEngine::icon(drawTools); }
QIcon quit() { return PaintedIconEngine::icon(drawQuit); }

} // namespace Toolbar2Pictures
