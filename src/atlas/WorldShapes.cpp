#include "atlas/WorldShapes.h"

#include "atlas/CountryMatcher.h"
#include "atlas/CountryTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

using Arc = QList<QPointF>;

// The arcs with their delta-encoded, quantized positions turned into degrees.
std::vector<Arc> decodeArcs(const QJsonArray& arcs, const QJsonObject& transform)
{
    const QJsonArray scale = transform.value(QLatin1String("scale")).toArray();
    const QJsonArray translate = transform.value(QLatin1String("translate")).toArray();
    const bool quantized = scale.size() == 2 && translate.size() == 2;
    std::vector<Arc> decoded;
    decoded.reserve(size_t(arcs.size()));
    for (const QJsonValue& arc : arcs) {
        Arc points;
        double x = 0;
        double y = 0;
        for (const QJsonValue& position : arc.toArray()) {
            const QJsonArray xy = position.toArray();
            if (!quantized) {
                points.append(QPointF(xy.at(0).toDouble(), xy.at(1).toDouble()));
                continue;
            }
            x += xy.at(0).toDouble();
            y += xy.at(1).toDouble();
            points.append(QPointF(x * scale.at(0).toDouble() + translate.at(0).toDouble(),
                                  y * scale.at(1).toDouble() + translate.at(1).toDouble()));
        }
        decoded.push_back(std::move(points));
    }
    return decoded;
}

// A ring of arc indexes; a negative index ~i is arc i backwards. Each arc starts where the
// one before it ended, so that point is taken once.
QList<QPointF> ringOf(const QJsonArray& indexes, const std::vector<Arc>& arcs, bool* ok)
{
    QList<QPointF> ring;
    for (const QJsonValue& value : indexes) {
        const int index = value.toInt();
        const int arc = index >= 0 ? index : ~index;
        if (arc < 0 || size_t(arc) >= arcs.size()) {
            *ok = false;
            return {};
        }
        Arc points = arcs[size_t(arc)];
        if (index < 0)
            std::reverse(points.begin(), points.end());
        if (!ring.isEmpty() && !points.isEmpty())
            points.removeFirst();
        ring.append(points);
    }
    return ring;
}

// The rings of a polygon, drawn on a map that ends at ±180°. A ring that crosses the date line
// jumps from one end of the map to the other; its longitudes are made continuous instead, and
// a copy a world's width away shows the part that lies beyond the map's edge on the other side.
void addRing(QList<QPointF> ring, std::vector<QList<QPointF>>& rings)
{
    double shift = 0;
    double west = 180, east = -180;
    for (qsizetype i = 0; i < ring.size(); ++i) {
        if (i > 0) {
            const double jump = ring[i].x() + shift - ring[i - 1].x();
            if (jump > 180)
                shift -= 360;
            else if (jump < -180)
                shift += 360;
        }
        ring[i].rx() += shift;
        west = std::min(west, ring[i].x());
        east = std::max(east, ring[i].x());
    }
    for (const double beyond : {east > 180 ? -360.0 : 0.0, west < -180 ? 360.0 : 0.0}) {
        if (beyond != 0) {
            QList<QPointF> copy = ring;
            for (QPointF& point : copy)
                point.rx() += beyond;
            rings.push_back(std::move(copy));
        }
    }
    rings.push_back(std::move(ring));
}

QRectF boundsOf(const std::vector<QList<QPointF>>& rings)
{
    double left = 180, right = -180, top = 90, bottom = -90;
    for (const QList<QPointF>& ring : rings) {
        for (const QPointF& p : ring) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// Whether the point is inside the rings by the even-odd rule.
bool holds(const CountryShape& shape, const QPointF& p)
{
    if (!shape.bounds.contains(p))
        return false;
    bool inside = false;
    for (const QList<QPointF>& ring : shape.rings) {
        for (qsizetype i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
            const QPointF& a = ring[i];
            const QPointF& b = ring[j];
            if ((a.y() > p.y()) != (b.y() > p.y()) && p.x() < (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y()) + a.x())
                inside = !inside;
        }
    }
    return inside;
}

} // namespace

bool WorldShapes::load(const QString& path, const CountryTable& table, const CountryMatcher& matcher, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return parse(file.readAll(), table, matcher, error);
}

bool WorldShapes::parse(const QByteArray& json, const CountryTable& table, const CountryMatcher& matcher, QString* error)
{
    m_shapes.clear();
    m_shapeOfCountry.assign(size_t(table.size()), -1);
    QJsonParseError parseError;
    const QJsonObject topology = QJsonDocument::fromJson(json, &parseError).object();
    const QJsonArray geometries = topology.value(QLatin1String("objects"))
                                      .toObject()
                                      .value(QLatin1String("countries"))
                                      .toObject()
                                      .value(QLatin1String("geometries"))
                                      .toArray();
    if (parseError.error != QJsonParseError::NoError || geometries.isEmpty()) {
        *error = QStringLiteral("the country shapes are not TopoJSON with a \"countries\" object");
        return false;
    }
    const std::vector<Arc> arcs = decodeArcs(topology.value(QLatin1String("arcs")).toArray(),
                                             topology.value(QLatin1String("transform")).toObject());
    bool ok = true;
    for (const QJsonValue& value : geometries) {
        const QJsonObject geometry = value.toObject();
        const QString type = geometry.value(QLatin1String("type")).toString();
        QJsonArray polygons = geometry.value(QLatin1String("arcs")).toArray();
        if (type == QLatin1String("Polygon")) {
            QJsonArray one;
            one.append(polygons);
            polygons = one;
        } else if (type != QLatin1String("MultiPolygon")) {
            continue;
        }
        const QString name = geometry.value(QLatin1String("properties")).toObject().value(QLatin1String("name")).toString();
        const QString id = geometry.value(QLatin1String("id")).toString();
        const int country = id.isEmpty() ? matcher.match(name) : table.indexOfNumeric(id.toInt());
        if (country < 0 || m_shapeOfCountry[size_t(country)] < 0) {
            if (country >= 0)
                m_shapeOfCountry[size_t(country)] = int(m_shapes.size());
            m_shapes.push_back(CountryShape{country, country >= 0 ? table.at(country).name : name, {}, {}});
        }
        CountryShape& shape = country >= 0 ? m_shapes[size_t(m_shapeOfCountry[size_t(country)])] : m_shapes.back();
        for (const QJsonValue& polygon : polygons)
            for (const QJsonValue& ring : polygon.toArray())
                addRing(ringOf(ring.toArray(), arcs, &ok), shape.rings);
        shape.bounds = boundsOf(shape.rings);
    }
    if (!ok) {
        *error = QStringLiteral("the country shapes name arcs that the file does not hold");
        return false;
    }
    return true;
}

const CountryShape* WorldShapes::shapeOf(int country) const
{
    if (country < 0 || size_t(country) >= m_shapeOfCountry.size() || m_shapeOfCountry[size_t(country)] < 0)
        return nullptr;
    return &m_shapes[size_t(m_shapeOfCountry[size_t(country)])];
}

const CountryShape* WorldShapes::shapeAt(const QPointF& lonLat) const
{
    for (const CountryShape& shape : m_shapes)
        if (holds(shape, lonLat))
            return &shape;
    return nullptr;
}
