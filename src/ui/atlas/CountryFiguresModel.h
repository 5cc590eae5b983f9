#pragma once

#include <QAbstractTableModel>

#include <vector>

class AtlasFigures;
struct AtlasData;

// The visited countries as a table for the Atlas: Country, Records, Cities, First visit and
// Last visit, one row each. SortRole gives the values to sort by (numbers and days).
class CountryFiguresModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { CountryColumn, RecordsColumn, CitiesColumn, FirstVisitColumn, LastVisitColumn, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Shows the figures (which must stay alive until the next call); null shows nothing.
    void show(const AtlasFigures* figures, const AtlasData* atlas);
    // The country (an index of the CountryTable) of a row.
    int countryAt(int row) const { return row >= 0 && size_t(row) < m_countries.size() ? m_countries[size_t(row)] : -1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const AtlasFigures* m_figures = nullptr;
    const AtlasData* m_data = nullptr;
    std::vector<int> m_countries;
};
