#pragma once

#include <QImage>
#include <QString>

// The map's SVG text as a picture, and the map written to a file in the form its name asks
// for. Drawing text needs a QGuiApplication (the offscreen platform will do).
namespace MapImage {

// The picture at the SVG's own size.
QImage render(const QString& svg);

// Whether a file name ends in ".svg" or ".png" (any case).
bool isMapFileName(const QString& path);

// Writes the SVG text (".svg") or its picture (".png") through a QSaveFile; false with
// *error set when the file could not be written whole.
bool write(const QString& path, const QString& svg, QString* error);

} // namespace MapImage
