#pragma once

#include <QIcon>
#include <QIconEngine>

#include <functional>

// An icon drawn with QPainter at whatever size and pixel density it is asked for, so that it
// stays crisp on every screen. The picture function draws into a square of the given size.
class PaintedIconEngine : public QIconEngine
{
public:
    using Picture = std::function<void(QPainter& painter, const QRectF& square, QIcon::Mode mode)>;

    explicit PaintedIconEngine(Picture picture);

    static QIcon icon(Picture picture);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    Picture m_picture;
};
