#pragma once

#include <QList>
#include <QPointF>

// Fewer points for an outline drawn small: the points that keep its shape within a tolerance
// (the method of Douglas and Peucker), so that a bend smaller than that is left out.
namespace RingSimplifier {

QList<QPointF> simplified(const QList<QPointF>& points, double tolerance);

} // namespace RingSimplifier
