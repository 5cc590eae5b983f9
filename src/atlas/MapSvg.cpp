#include "atlas/MapSvg.h"

#include "atlas/AtlasData.h"
#include "atlas/MapProjection.h"
#include "atlas/MapShading.h"
#include "atlas/RingSimplifier.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKeyHeight = 28;

QString escaped(const QString& text)
{
    QString result = text.toHtmlEscaped();
    result.replace(u'\'', QStringLiteral("&#39;"));
    return result;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString recordsText(int records)
{
    return records == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(records);
}

// The path data of the rings at the scale, their bends within a step, rounded to the step and
// written as moves from point to point (the shortest form); rings that come to less than a
// triangle are left out, and a country left with none becomes a square of two steps.
QString pathOf(const CountryShape& shape, double scale, double step)
{
    // Steps of a quarter or a tenth print exactly with two decimals, so moves add up exactly.
    const int decimals = step >= 1 ? 0 : 2;
    const auto grid = [step](double value) { return std::round(value / step) * step; };
    QString path;
    for (const QList<QPointF>& ring : shape.rings) {
        QList<QPointF> points;
        for (const QPointF& lonLat : ring)
            points.append(MapProjection::toMap(lonLat) * scale);
        QString part;
        int count = 0;
        double lastX = 0, lastY = 0;
        for (const QPointF& point : RingSimplifier::simplified(points, step)) {
            const double x = grid(point.x());
            const double y = grid(point.y());
            if (count > 0 && x == lastX && y == lastY)
                continue;
            if (count == 0)
                part = u'M' + number(x, decimals) + u' ' + number(y, decimals) + u'l';
            else
                part += number(x - lastX, decimals) + u' ' + number(y - lastY, decimals) + u' ';
            lastX = x;
            lastY = y;
            ++count;
        }
        if (count >= 3) {
            part.chop(1);
            path += part + u'z';
        }
    }
    if (path.isEmpty() && !shape.rings.empty()) {
        const QPointF centre = MapProjection::toMap(shape.bounds.center()) * scale;
        path = QStringLiteral("M%1 %2h%3v%3h-%3z")
                   .arg(number(centre.x() - step, decimals), number(centre.y() - step, decimals),
                        number(2 * step, decimals));
    }
    return path;
}

} // namespace

MapSvg::MapSvg(const AtlasData& data, int width, double step)
    : m_data(data), m_width(std::max(width, 36)), m_mapHeight(m_width / 2), m_height(m_mapHeight + kKeyHeight)
{
    const double scale = m_width / MapProjection::kWidth;
    for (const CountryShape& shape : data.shapes.shapes())
        m_outlines.push_back({shape.country, shape.name, pathOf(shape, scale, std::max(step, 0.1))});
}

QString MapSvg::render(const Picture& picture) const
{
    const auto recordsOf = [&](int country) {
        return country >= 0 && size_t(country) < picture.records.size() ? picture.records[size_t(country)] : 0;
    };
    int most = 0;
    for (const int records : picture.records)
        most = std::max(most, records);

    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
                                 "role=\"img\" aria-label=\"World map\">\n<rect width=\"%1\" height=\"%3\" fill=\"%4\"/>\n"
                                 "<g stroke=\"%5\" stroke-width=\"0.4\" stroke-linejoin=\"round\" fill-rule=\"evenodd\">\n")
                      .arg(m_width)
                      .arg(m_height)
                      .arg(m_mapHeight)
                      .arg(MapShading::cssColour(MapShading::kSea), MapShading::cssColour(MapShading::kBorder));
    svg.reserve(svg.size() + int(m_outlines.size()) * 64);
    for (const Outline& outline : m_outlines) {
        const int records = recordsOf(outline.country);
        const QString id = outline.country >= 0 ? QStringLiteral(" id=\"%1\"").arg(escaped(m_data.countries.at(outline.country).code)) : QString();
        const QString title = records > 0 ? outline.name + QStringLiteral(": ") + recordsText(records) : outline.name;
        QString element = QStringLiteral("<path%1%2 fill=\"%3\" d=\"%4\"><title>%5</title></path>")
                              .arg(id, records > 0 ? QStringLiteral(" class=\"visited\"") : QString(),
                                   MapShading::cssColour(MapShading::colour(records, most)), outline.path, escaped(title));
        const QString link = records > 0 && picture.link ? picture.link(outline.country) : QString();
        if (!link.isEmpty())
            element = QStringLiteral("<a href=\"%1\">%2</a>").arg(escaped(link), element);
        svg += element + u'\n';
    }
    svg += QStringLiteral("</g>\n");
    if (!picture.places.empty()) {
        const double scale = m_width / MapProjection::kWidth;
        svg += QStringLiteral("<g fill=\"%1\">").arg(MapShading::cssColour(MapShading::kCityDot));
        for (const GeoPoint& place : picture.places) {
            const QPointF at = MapProjection::toMap(QPointF(place.longitude, place.latitude)) * scale;
            svg += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"1.5\"/>").arg(number(at.x(), 1), number(at.y(), 1));
        }
        svg += QStringLiteral("</g>\n");
    }
    return svg + key(most) + QStringLiteral("</svg>\n");
}

QString MapSvg::key(int most) const
{
    // A swatch and its number for each mark of the scale, along the bottom.
    QString key = QStringLiteral("<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333333\">");
    int x = 8;
    const int y = m_mapHeight + 6;
    for (const int value : MapShading::keyValues(std::max(most, 1))) {
        key += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"14\" height=\"14\" fill=\"%3\"/><text x=\"%4\" y=\"%5\">%6</text>")
                   .arg(x)
                   .arg(y)
                   .arg(MapShading::cssColour(MapShading::colour(most > 0 ? value : 0, most)))
                   .arg(x + 18)
                   .arg(y + 11)
                   .arg(most > 0 ? recordsText(value) : QStringLiteral("no records"));
        x += 28 + 7 * int(recordsText(value).size());
    }
    return key + QStringLiteral("</g>\n");
}
