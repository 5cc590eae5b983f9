#include "atlas/RingSimplifier.h"

#include <cmath>
#include <utility>
#include <vector>

namespace RingSimplifier {

QList<QPointF> simplified(const QList<QPointF>& points, double tolerance)
{
    if (points.size() < 3)
        return points;
    std::vector<bool> keep(size_t(points.size()), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<qsizetype, qsizetype>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const QPointF a = points[first];
        const QPointF d = points[last] - a;
        const double length = std::hypot(d.x(), d.y());
        double farthest = 0;
        qsizetype at = -1;
        for (qsizetype i = first + 1; i < last; ++i) {
            const QPointF p = points[i] - a;
            const double distance = length > 0 ? std::abs(d.x() * p.y() - d.y() * p.x()) / length : std::hypot(p.x(), p.y());
            if (distance > farthest) {
                farthest = distance;
                at = i;
            }
        }
        if (at >= 0 && farthest > tolerance) {
            keep[size_t(at)] = true;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    QList<QPointF> kept;
    for (qsizetype i = 0; i < points.size(); ++i)
        if (keep[size_t(i)])
            kept.append(points[i]);
    return kept;
}

} // namespace RingSimplifier
