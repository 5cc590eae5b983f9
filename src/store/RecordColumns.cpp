#include "store/RecordColumns.h"

#include <array>

namespace {

struct ColumnInfo
{
    const char* header;
    int widthTwips;
};

constexpr std::array<ColumnInfo, RecordColumns::Count> kColumns = {{
    {"Place", 2440},          {"Satisfaction", 1440}, {"Type", 1440},
    {"Comments", 2440},       {"Contact", 1000},      {"Tel Code", 740},
    {"Telephone", 1000},      {"Fax", 840},           {"Country", 1440},
    {"State", 1440},          {"City", 1440},         {"Address", 2440},
    {"Specialty", 1440},      {"Requires", 1440},     {"Reservation", 840},
    {"Recommended by", 1440}, {"Cost", 1440},         {"Price", 1040},
    {"Stars", 1040},          {"Date Visited", 1440}, {"Email", 1440},
    {"Web", 1440},            {"Date Modified", 1440}, {"", 1},
    {"Post ID", 1440},
}};

} // namespace

namespace RecordColumns {

QString header(int column)
{
    if (column < 0 || column >= Count)
        return {};
    return QString::fromLatin1(kColumns[column].header);
}

int widthTwips(int column)
{
    if (column < 0 || column >= Count)
        return 0;
    return kColumns[column].widthTwips;
}

} // namespace RecordColumns
