#include "app/SplashArtwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace SplashArtwork {

namespace {

QPixmap blankPixmap(QSize logicalSize, qreal ratio)
{
    QPixmap pixmap(logicalSize * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void paintGlobe(QPainter& p, const QRectF& r)
{
    QRadialGradient sea(r.center() - QPointF(r.width() / 6, r.height() / 6), r.width() / 1.6);
    sea.setColorAt(0, QColor(0x7f, 0xc8, 0xf0));
    sea.setColorAt(1, QColor(0x1d, 0x5f, 0x9c));
    p.setPen(QPen(QColor(0x12, 0x3e, 0x6b), 2));
    p.setBrush(sea);
    p.drawEllipse(r);
    // Meridians and parallels.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 2; ++k) {
        const qreal dx = r.width() * k / 6.0;
        p.drawEllipse(r.adjusted(dx, 0, -dx, 0));
        const qreal dy = r.height() * k / 6.0;
        p.drawLine(QPointF(r.left() + dy * 0.55, r.top() + dy), QPointF(r.right() - dy * 0.55, r.top() + dy));
        p.drawLine(QPointF(r.left() + dy * 0.55, r.bottom() - dy),
                   QPointF(r.right() - dy * 0.55, r.bottom() - dy));
    }
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    // Two green land masses.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5b, 0xa8, 0x4c));
    QPainterPath land;
    land.moveTo(r.left() + r.width() * 0.22, r.top() + r.height() * 0.30);
    land.cubicTo(r.left() + r.width() * 0.40, r.top() + r.height() * 0.18, r.left() + r.width() * 0.52,
                 r.top() + r.height() * 0.40, r.left() + r.width() * 0.38, r.top() + r.height() * 0.55);
    land.cubicTo(r.left() + r.width() * 0.28, r.top() + r.height() * 0.66, r.left() + r.width() * 0.14,
                 r.top() + r.height() * 0.48, r.left() + r.width() * 0.22, r.top() + r.height() * 0.30);
    p.drawPath(land);
    QPainterPath isle;
    isle.addEllipse(QRectF(r.left() + r.width() * 0.58, r.top() + r.height() * 0.58, r.width() * 0.22,
                           r.height() * 0.16));
    p.drawPath(isle);
}

void paintRoute(QPainter& p, const QRectF& r)
{
    QPainterPath route;
    const QPointF from(r.left() + r.width() * 0.30, r.top() + r.height() * 0.40);
    const QPointF to(r.left() + r.width() * 0.70, r.top() + r.height() * 0.64);
    route.moveTo(from);
    route.cubicTo(QPointF(r.left() + r.width() * 0.45, r.top() - r.height() * 0.05),
                  QPointF(r.right() + r.width() * 0.05, r.top() + r.height() * 0.30), to);
    QPen dots(QColor(0xf4, 0xd0, 0x3f), 3, Qt::DotLine, Qt::RoundCap);
    p.setPen(dots);
    p.setBrush(Qt::NoBrush);
    p.drawPath(route);
    p.setPen(QPen(QColor(0x8a, 0x1c, 0x1c), 2));
    p.setBrush(QColor(0xe0, 0x3a, 0x3a));
    for (const QPointF& pin : {from, to})
        p.drawEllipse(pin, r.width() * 0.035, r.width() * 0.035);
}

void paintCompass(QPainter& p, const QPointF& c, qreal radius)
{
    p.setPen(QPen(QColor(0x3a, 0x2a, 0x10), 1.5));
    p.setBrush(QColor(0xfb, 0xf3, 0xdc));
    p.drawEllipse(c, radius, radius);
    const qreal s = radius * 0.85;
    const qreal w = radius * 0.22;
    QPolygonF north{c + QPointF(0, -s), c + QPointF(w, 0), c + QPointF(-w, 0)};
    QPolygonF south{c + QPointF(0, s), c + QPointF(w, 0), c + QPointF(-w, 0)};
    QPolygonF east{c + QPointF(s, 0), c + QPointF(0, w), c + QPointF(0, -w)};
    QPolygonF west{c + QPointF(-s, 0), c + QPointF(0, w), c + QPointF(0, -w)};
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.drawPolygon(north);
    p.setBrush(QColor(0x44, 0x44, 0x44));
    p.drawPolygon(south);
    p.setBrush(QColor(0x90, 0x90, 0x90));
    p.drawPolygon(east);
    p.drawPolygon(west);
}

} // namespace

QPixmap globeAndRoute(QSize logicalSize, qreal devicePixelRatio)
{
    QPixmap pixmap = blankPixmap(logicalSize, devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(logicalSize.width(), logicalSize.height()) - 4;
    const QRectF globe(2, 2, side, side);
    paintGlobe(p, globe);
    paintRoute(p, globe);
    paintCompass(p, globe.bottomRight() - QPointF(side * 0.16, side * 0.16), side * 0.16);
    return pixmap;
}

QPixmap luggageTag(QSize logicalSize, qreal devicePixelRatio)
{
    QPixmap pixmap = blankPixmap(logicalSize, devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, logicalSize.width() - 2, logicalSize.height() - 2);
    QPainterPath tag;
    const qreal notch = r.width() * 0.28;
    tag.moveTo(r.left() + notch, r.top());
    tag.lineTo(r.right(), r.top());
    tag.lineTo(r.right(), r.bottom());
    tag.lineTo(r.left() + notch, r.bottom());
    tag.lineTo(r.left(), r.center().y());
    tag.closeSubpath();
    QLinearGradient paper(r.topLeft(), r.bottomRight());
    paper.setColorAt(0, QColor(0xf8, 0xd9, 0x8c));
    paper.setColorAt(1, QColor(0xe0, 0xa8, 0x3c));
    p.setPen(QPen(QColor(0x7a, 0x52, 0x12), 1.5));
    p.setBrush(paper);
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(r.left() + notch * 0.7, r.center().y()), r.height() * 0.08, r.height() * 0.08);
    QFont font;
    font.setBold(true);
    font.setPixelSize(int(r.height() * 0.62));
    p.setFont(font);
    p.setPen(QColor(0x5a, 0x38, 0x08));
    p.drawText(r.adjusted(notch, 0, 0, 0), Qt::AlignCenter, QStringLiteral("@"));
    return pixmap;
}

} // namespace SplashArtwork
