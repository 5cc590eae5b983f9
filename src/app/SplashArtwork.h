#pragma once

#include <QPixmap>
#include <QSize>

// The program's own pictures, painted at run time so that they stay crisp at any scale.
namespace SplashArtwork {

// A compass rose over a globe with a dotted travel route: the splash's main picture.
QPixmap globeAndRoute(QSize logicalSize, qreal devicePixelRatio);

// A small luggage tag carrying the "@" of the product name.
QPixmap luggageTag(QSize logicalSize, qreal devicePixelRatio);

} // namespace SplashArtwork
