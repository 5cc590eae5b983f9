#pragma once

#include <QString>

#include <vector>

// The colours of the map: land that was not visited in grey, visited countries in blues from
// light to dark by their number of records on a logarithmic scale, so that a country of one
// record still stands out next to one of thousands.
namespace MapShading {

// 0xRRGGBB for a country of `records` when the most visited one has `most`.
unsigned colour(int records, int most);
// "#rrggbb".
QString cssColour(unsigned rgb);
// Where the key marks the scale: 1, the powers of ten between, and the most.
std::vector<int> keyValues(int most);

inline constexpr unsigned kUnvisited = 0xd9d9d6;
inline constexpr unsigned kBorder = 0xffffff;
inline constexpr unsigned kSea = 0xeef4f8;
inline constexpr unsigned kCityDot = 0xd9480f;

} // namespace MapShading
