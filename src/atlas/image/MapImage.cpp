#include "atlas/image/MapImage.h"

#include <QBuffer>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

namespace MapImage {

namespace {

bool isSvg(const QString& path)
{
    return path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

} // namespace

QImage render(const QString& svg)
{
    QSvgRenderer renderer(svg.toUtf8());
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return image;
}

bool isMapFileName(const QString& path)
{
    return isSvg(path) || path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

bool write(const QString& path, const QString& svg, QString* error)
{
    QByteArray bytes;
    if (isSvg(path)) {
        bytes = svg.toUtf8();
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!render(svg).save(&buffer, "PNG")) {
            *error = QStringLiteral("%1: the map could not be drawn").arg(path);
            return false;
        }
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace MapImage
