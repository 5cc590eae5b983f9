#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

class CountryMatcher;
class CountryTable;

// The outline of one country: its rings (outer and inner alike, to be filled even-odd) in
// degrees, x the longitude and y the latitude. country is its index in the CountryTable, or
// -1 for land that the table does not hold (a disputed area).
struct CountryShape
{
    int country = -1;
    QString name;
    std::vector<QList<QPointF>> rings;
    QRectF bounds;
};

// The country outlines of a TopoJSON file whose "countries" object holds one geometry per
// country with its ISO 3166-1 numeric code as id (Natural Earth's admin-0 countries, as the
// world-atlas package publishes them). A geometry without a code is given its country by
// its name; two geometries of one country make one shape.
class WorldShapes
{
public:
    bool load(const QString& path, const CountryTable& table, const CountryMatcher& matcher, QString* error);
    bool parse(const QByteArray& json, const CountryTable& table, const CountryMatcher& matcher, QString* error);

    const std::vector<CountryShape>& shapes() const { return m_shapes; }
    // The shape of a country of the table, or null when the file has none.
    const CountryShape* shapeOf(int country) const;
    // The first shape whose rings hold the point (degrees), or null.
    const CountryShape* shapeAt(const QPointF& lonLat) const;

private:
    std::vector<CountryShape> m_shapes;
    std::vector<int> m_shapeOfCountry;
};
