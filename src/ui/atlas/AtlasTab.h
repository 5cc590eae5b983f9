#pragma once

#include <QString>
#include <QWidget>

class AtlasLoader;
class AtlasTracker;
class CountryFiguresModel;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class RecordListModel;
class RecordStore;
class TallyChart;
class WorldMapView;

// The "Atlas" tab: where the user has been. The world map fills most of it, the table of
// visited countries stands beside it under "N countries, M cities, K records", and the charts
// of records by year, Type and Satisfaction run below. It follows every change of the record
// list at once. A double-click on a country, on the map or in the table, asks for that
// country's records in the View tab. The map data is read, and the records counted, on worker
// threads from the start.
class AtlasTab : public QWidget
{
    Q_OBJECT

public:
    AtlasTab(RecordListModel* model, const RecordStore& store, const QString& dataFolder, QWidget* parent = nullptr);

    // Starts reading the map data in the background.
    void startLoading();

    WorldMapView* map() const { return m_map; }
    QTableView* table() const { return m_table; }
    QLabel* summary() const { return m_summary; }
    AtlasTracker* tracker() const { return m_tracker; }
    AtlasLoader* loader() const { return m_loader; }

    // Whether a store row (0-based) is in the country, by its Country as typed.
    bool rowIsIn(int row, int country) const;
    QString countryName(int country) const;

signals:
    void countryChosen(int country);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void dataLoaded();
    void showFigures();
    void showCharts();
    void saveMap();

    AtlasLoader* m_loader;
    AtlasTracker* m_tracker;
    WorldMapView* m_map;
    CountryFiguresModel* m_countries;
    QSortFilterProxyModel* m_sorted;
    QTableView* m_table;
    QLabel* m_summary;
    QLabel* m_notOnMap;
    QPushButton* m_save;
    TallyChart* m_years;
    TallyChart* m_types;
    TallyChart* m_satisfactions;
    // The charts lay out their labels again at every new bar, which is the dearest part of a
    // change; while the tab is hidden they are brought up to date when it is shown.
    bool m_chartsBehind = false;
};
