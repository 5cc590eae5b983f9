#pragma once

#include "atlas/GeoPoint.h"

#include <QString>

#include <functional>
#include <vector>

struct AtlasData;

// The world map as SVG text: every country of the shapes one <path> whose id is its alpha-2
// code, with a <title> ("France: 12 records"); visited ones have class="visited" and are
// shaded by their records (MapShading), optionally inside a link; the cities as dots and a
// key of the shading below. Only presentation attributes are used, no style sheet, so that
// the map can stand inline in a page with a strict Content-Security-Policy. The outlines are
// drawn once, when the map is made, at its size; each picture then only colours them.
class MapSvg
{
public:
    // A picture `width` pixels wide (and half as high, plus the key), coordinates rounded to
    // `step` pixels: 0.1 keeps every bend of a large picture, 1 makes a small one light.
    MapSvg(const AtlasData& data, int width, double step);

    struct Picture
    {
        std::vector<int> records;                  // by country index; missing ones count 0
        std::vector<GeoPoint> places;              // a dot each
        std::function<QString(int country)> link;  // a visited country's address; none when empty
    };
    QString render(const Picture& picture) const;

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    struct Outline
    {
        int country;
        QString name;
        QString path;
    };
    QString key(int most) const;

    const AtlasData& m_data;
    int m_width;
    int m_mapHeight;
    int m_height;
    std::vector<Outline> m_outlines;
};
