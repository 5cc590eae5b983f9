#pragma once

// A place on the globe in degrees: latitude north, longitude east.
struct GeoPoint
{
    double latitude = 0;
    double longitude = 0;
};
