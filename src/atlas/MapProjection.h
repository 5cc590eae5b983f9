#pragma once

#include <QPointF>
#include <QSizeF>

// The map's projection: longitude and latitude as they are (equirectangular), so that the
// whole world is 360 by 180 map units with north up and x growing eastwards from -180°.
namespace MapProjection {

inline constexpr double kWidth = 360;
inline constexpr double kHeight = 180;

inline QPointF toMap(const QPointF& lonLat) { return {lonLat.x() + 180, 90 - lonLat.y()}; }
inline QPointF toLonLat(const QPointF& map) { return {map.x() - 180, 90 - map.y()}; }
inline QSizeF worldSize() { return {kWidth, kHeight}; }

} // namespace MapProjection
