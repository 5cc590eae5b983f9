#pragma once

#include <QString>

// The 25 columns of a travel record: index, list header and header width in twips.
// Columns 0 to 23 are stored; 23 is the hidden upload mark, 24 the Post ID (never stored).
namespace RecordColumns {

inline constexpr int Count = 25;
inline constexpr int StoredCount = 24;

enum Column : int {
    Place = 0,
    Satisfaction = 1,
    Type = 2,
    Comments = 3,
    Contact = 4,
    TelCode = 5,
    Telephone = 6,
    Fax = 7,
    Country = 8,
    State = 9,
    City = 10,
    Address = 11,
    Specialty = 12,
    Requires = 13,
    Reservation = 14,
    RecommendedBy = 15,
    Cost = 16,
    Price = 17,
    Stars = 18,
    DateVisited = 19,
    Email = 20,
    Web = 21,
    DateModified = 22,
    UploadMark = 23,
    PostId = 24,
};

// The list header of a column ("" for the upload mark).
QString header(int column);

// The header width in twips (1 for the upload mark).
int widthTwips(int column);

// Twips to pixels at the 15 twips a pixel of the classic 96-dpi screen.
inline int twipsToPixels(int twips) { return (twips + 7) / 15; }

} // namespace RecordColumns
