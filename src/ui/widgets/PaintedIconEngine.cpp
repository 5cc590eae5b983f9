#include "ui/widgets/PaintedIconEngine.h"

#include <QPainter>
#include <QPixmap>

PaintedIconEngine::PaintedIconEngine(Picture picture) : m_picture(std::move(picture)) {}

QIcon PaintedIconEngine::icon(Picture picture)
{
    return QIcon(new PaintedIconEngine(std::move(picture)));
}

void PaintedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    Q_UNUSED(state);
    const qreal side = qMin(rect.width(), rect.height());
    const QRectF square(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    m_picture(*painter, square, mode);
    painter->restore();
}

QPixmap PaintedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    // QIcon asks for the size in device pixels and sets the pixel ratio itself.
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}

QSize PaintedIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    Q_UNUSED(mode);
    Q_UNUSED(state);
    return size;
}

QIconEngine* PaintedIconEngine::clone() const
{
    return new PaintedIconEngine(m_picture);
}

QString PaintedIconEngine::key() const
{
    return QStringLiteral("PaintedIconEngine");
}
