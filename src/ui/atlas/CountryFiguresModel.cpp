#include "ui/atlas/CountryFiguresModel.h"

#include "atlas/AtlasData.h"
#include "atlas/AtlasFigures.h"
#include "store/RecordValues.h"

void CountryFiguresModel::show(const AtlasFigures* figures, const AtlasData* atlas)
{
    beginResetModel();
    m_figures = figures;
    m_data = atlas;
    m_countries = figures ? figures->visited() : std::vector<int>();
    endResetModel();
}

int CountryFiguresModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_countries.size());
}

int CountryFiguresModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CountryFiguresModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_figures || (role != Qt::DisplayRole && role != SortRole && role != Qt::ToolTipRole))
        return {};
    const int country = m_countries[size_t(index.row())];
    const CountryFigures& visits = m_figures->country(country);
    const auto date = [&](const QDate& day) -> QVariant {
        if (role == SortRole)
            return day.isValid() ? day.toJulianDay() : 0;
        return day.isValid() ? RecordValues::dateText(day) : QString();
    };
    switch (index.column()) {
    case CountryColumn:
        return m_data->countries.at(country).name;
    case RecordsColumn:
        return visits.records;
    case CitiesColumn:
        return int(visits.cities.size());
    case FirstVisitColumn:
        return date(visits.firstVisit());
    case LastVisitColumn:
        return date(visits.lastVisit());
    default:
        return {};
    }
}

QVariant CountryFiguresModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeaders[] = {"Country", "Records", "Cities", "First visit", "Last visit"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
