#include "ui/entry/Toolbar1Icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Toolbar1Icons {

namespace {

// Drawn on a 24 by 24 grid, scaled to the target rectangle.
constexpr qreal Grid = 24.0;

void drawPage(QPainter& p, bool disabled)
{
    QPainterPath page;
    page.moveTo(4.5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19.5, 7.5);
    page.lineTo(19.5, 21.5);
    page.lineTo(4.5, 21.5);
    page.closeSubpath();
    p.setPen(QPen(disabled ? QColor(150, 150, 150) : QColor(70, 90, 120), 1.2));
    p.setBrush(disabled ? QColor(235, 235, 235) : QColor(255, 255, 255));
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(14.5, 2.5);
    fold.lineTo(14.5, 7.5);
    fold.lineTo(19.5, 7.5);
    p.setBrush(disabled ? QColor(215, 215, 215) : QColor(205, 220, 240));
    p.drawPath(fold);
}

void drawLines(QPainter& p, bool disabled, int count)
{
    p.setPen(QPen(disabled ? QColor(190, 190, 190) : QColor(160, 175, 200), 1.0));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(7, 10.5 + 3 * i), QPointF(16.5, 10.5 + 3 * i));
}

void drawPlus(QPainter& p, bool disabled)
{
    const QColor fill = disabled ? QColor(170, 170, 170) : QColor(40, 150, 60);
    p.setPen(QPen(fill.darker(130), 1.0));
    p.setBrush(fill);
    p.drawEllipse(QPointF(17, 17), 6, 6);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 13.5), QPointF(17, 20.5));
    p.drawLine(QPointF(13.5, 17), QPointF(20.5, 17));
}

void drawPencil(QPainter& p, bool disabled)
{
    p.save();
    p.translate(16, 15);
    p.rotate(45);
    const QColor body = disabled ? QColor(180, 180, 180) : QColor(235, 170, 40);
    p.setPen(QPen(body.darker(150), 0.9));
    p.setBrush(body);
    p.drawRect(QRectF(-2.2, -8, 4.4, 11));
    p.setBrush(disabled ? QColor(200, 200, 200) : QColor(240, 140, 150));
    p.drawRect(QRectF(-2.2, -10, 4.4, 2));
    QPainterPath tip;
    tip.moveTo(-2.2, 3);
    tip.lineTo(2.2, 3);
    tip.lineTo(0, 7.5);
    tip.closeSubpath();
    p.setBrush(disabled ? QColor(220, 220, 220) : QColor(245, 225, 190));
    p.drawPath(tip);
    p.restore();
}

void drawSwitch(QPainter& p, bool disabled)
{
    const QColor ink = disabled ? QColor(150, 150, 150) : QColor(50, 80, 140);
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(4, 8), QPointF(19, 8));
    p.drawLine(QPointF(15, 4), QPointF(19, 8));
    p.drawLine(QPointF(15, 12), QPointF(19, 8));
    p.drawLine(QPointF(20, 16), QPointF(5, 16));
    p.drawLine(QPointF(9, 12), QPointF(5, 16));
    p.drawLine(QPointF(9, 20), QPointF(5, 16));
}

class PictureEngine : public QIconEngine
{
public:
    explicit PictureEngine(Picture picture) : m_picture(picture) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const bool disabled = mode == QIcon::Disabled;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / Grid, side / Grid);
        switch (m_picture) {
        case Picture::Add:
            drawPage(*painter, disabled);
            drawLines(*painter, disabled, 2);
            drawPlus(*painter, disabled);
            break;
        case Picture::Replace:
            drawPage(*painter, disabled);
            drawLines(*painter, disabled, 3);
            drawPencil(*painter, disabled);
            break;
        case Picture::Clear:
            drawPage(*painter, disabled);
            break;
        case Picture::Switch:
            drawSwitch(*painter, disabled);
            break;
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // size is in device pixels already; scale only tells the density the pixmap is for.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), pixmap.size()), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QIconEngine* clone() const override { return new PictureEngine(m_picture); }

private:
    Picture m_picture;
};

} // namespace

QIcon icon(Picture picture)
{
    return QIcon(new PictureEngine(picture));
}

} // namespace Toolbar1Icons
