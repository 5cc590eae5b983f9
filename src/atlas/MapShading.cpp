#include "atlas/MapShading.h"

#include <algorithm>
#include <cmath>

namespace MapShading {

namespace {

constexpr unsigned kLightest = 0x9ecae1;
constexpr unsigned kDarkest = 0x08306b;

unsigned mix(unsigned from, unsigned to, double share)
{
    unsigned rgb = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = (from >> shift) & 0xff;
        const double b = (to >> shift) & 0xff;
        rgb |= unsigned(std::lround(a + (b - a) * share)) << shift;
    }
    return rgb;
}

} // namespace

unsigned colour(int records, int most)
{
    if (records <= 0)
        return kUnvisited;
    const double share = most <= 1 ? 1.0 : std::log(double(records)) / std::log(double(most));
    return mix(kLightest, kDarkest, std::clamp(share, 0.0, 1.0));
}

QString cssColour(unsigned rgb)
{
    return QStringLiteral("#%1").arg(rgb & 0xffffff, 6, 16, QLatin1Char('0'));
}

std::vector<int> keyValues(int most)
{
    std::vector<int> values{1};
    for (long long step = 10; step < most; step *= 10)
        values.push_back(int(step));
    if (most > 1)
        values.push_back(most);
    return values;
}

} // namespace MapShading
