#include "ui/atlas/AtlasTab.h"

#include "atlas/AtlasData.h"
#include "atlas/MapSvg.h"
#include "atlas/image/MapImage.h"
#include "ui/atlas/AtlasLoader.h"
#include "ui/atlas/AtlasTracker.h"
#include "ui/atlas/CountryFiguresModel.h"
#include "ui/atlas/TallyChart.h"
#include "ui/atlas/WorldMapView.h"
#include "ui/widgets/MessageBox.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kMostBars = 12;
constexpr int kSavedWidth = 1920;

// The tallies as bars, the most held first, the rest summed up as "Other".
TallyChart::Bars barsOf(const TallyTable& table)
{
    TallyChart::Bars bars;
    int other = 0;
    for (const Tally& tally : table.sorted()) {
        if (bars.size() < kMostBars)
            bars.append({tally.name.isEmpty() ? QStringLiteral("(none)") : tally.name, tally.records});
        else
            other += tally.records;
    }
    if (other > 0)
        bars.append({QStringLiteral("Other"), other});
    return bars;
}

QString plural(int count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

AtlasTab::AtlasTab(RecordListModel* model, const RecordStore& store, const QString& dataFolder, QWidget* parent)
    : QWidget(parent), m_loader(new AtlasLoader(dataFolder, this)), m_tracker(new AtlasTracker(model, store, this)),
      m_map(new WorldMapView), m_countries(new CountryFiguresModel(this)), m_sorted(new QSortFilterProxyModel(this)),
      m_table(new QTableView), m_summary(new QLabel), m_notOnMap(new QLabel),
      m_save(new QPushButton(QStringLiteral("Save map as..."))), m_years(new TallyChart(QStringLiteral("Records by year"))),
      m_types(new TallyChart(QStringLiteral("Records by type"))),
      m_satisfactions(new TallyChart(QStringLiteral("Records by satisfaction")))
{
    setObjectName(QStringLiteral("AtlasTab"));
    m_sorted->setSourceModel(m_countries);
    m_sorted->setSortRole(CountryFiguresModel::SortRole);
    m_sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_table->setObjectName(QStringLiteral("AtlasCountries"));
    m_table->setAccessibleName(QStringLiteral("Visited countries"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(CountryFiguresModel::RecordsColumn, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(CountryFiguresModel::CountryColumn, QHeaderView::Stretch);
    m_summary->setObjectName(QStringLiteral("AtlasSummary"));
    m_notOnMap->setObjectName(QStringLiteral("AtlasNotOnMap"));
    m_notOnMap->setWordWrap(true);
    for (QLabel* label : {m_summary, m_notOnMap})
        label->setTextFormat(Qt::PlainText);
    m_save->setObjectName(QStringLiteral("SaveMap"));
    m_save->setEnabled(false);

    auto* side = new QWidget;
    side->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_summary);
    sideLayout->addWidget(m_table, 1);
    sideLayout->addWidget(m_notOnMap);
    sideLayout->addWidget(m_save, 0, Qt::AlignRight);
    auto* top = new QSplitter(Qt::Horizontal);
    top->addWidget(m_map);
    top->addWidget(side);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 1);
    auto* charts = new QHBoxLayout;
    for (TallyChart* chart : {m_years, m_types, m_satisfactions})
        charts->addWidget(chart);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(top, 3);
    layout->addLayout(charts, 1);

    connect(m_loader, &AtlasLoader::loaded, this, &AtlasTab::dataLoaded);
    // Also while the tab is hidden: the map and the table hold the figures, which a count of
    // the whole list replaces.
    connect(m_tracker, &AtlasTracker::changed, this, &AtlasTab::showFigures);
    connect(m_map, &WorldMapView::countryActivated, this, [this](int country) {
        if (m_tracker->isTracking())
            emit countryChosen(country);
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        emit countryChosen(m_countries->countryAt(m_sorted->mapToSource(index).row()));
    });
    connect(m_save, &QPushButton::clicked, this, &AtlasTab::saveMap);
    showFigures();
}

void AtlasTab::startLoading()
{
    m_loader->start();
}

bool AtlasTab::rowIsIn(int row, int country) const
{
    return m_tracker->countryOfRow(row) == country;
}

QString AtlasTab::countryName(int country) const
{
    return m_tracker->isTracking() && country >= 0 ? m_tracker->data().countries.at(country).name : QString();
}

void AtlasTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startLoading();
    showCharts();
}

void AtlasTab::dataLoaded()
{
    if (!m_loader->data()) {
        m_summary->setText(QStringLiteral("The map data cannot be read: %1").arg(m_loader->error()));
        return;
    }
    m_map->setData(m_loader->data().get());
    m_save->setEnabled(true);
    // The records are counted on a worker thread from now on, so that the tab is ready when
    // it is first opened.
    m_tracker->start(m_loader->data());
}

void AtlasTab::showFigures()
{
    if (!m_tracker->isTracking())
        return;
    const AtlasFigures& figures = m_tracker->figures();
    m_map->setFigures(&figures);
    m_countries->show(&figures, &m_tracker->data());
    m_summary->setText(QStringLiteral("%1, %2, %3")
                           .arg(plural(figures.countriesVisited(), "country", "countries"),
                                plural(figures.cities(), "city", "cities"),
                                plural(figures.recordsOnMap(), "record", "records")));
    QStringList away;
    for (const Tally& tally : figures.notOnMap().sorted())
        away << QStringLiteral("%1 (%2)").arg(tally.name).arg(tally.records);
    if (figures.withoutCountry() > 0)
        away << QStringLiteral("no country (%1)").arg(figures.withoutCountry());
    m_notOnMap->setText(away.isEmpty() ? QString() : QStringLiteral("Not on the map: ") + away.join(QStringLiteral(", ")));
    m_chartsBehind = true;
    if (isVisible())
        showCharts();
}

void AtlasTab::showCharts()
{
    if (!m_chartsBehind || !m_tracker->isTracking())
        return;
    m_chartsBehind = false;
    const AtlasFigures& figures = m_tracker->figures();
    TallyChart::Bars years;
    for (const auto& [year, records] : figures.years())
        years.append({QString::number(year), records});
    if (figures.undated() > 0)
        years.append({QStringLiteral("no date"), figures.undated()});
    m_years->setBars(years);
    m_types->setBars(barsOf(figures.types()));
    m_satisfactions->setBars(barsOf(figures.satisfactions()));
}

void AtlasTab::saveMap()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save map as"), QString(),
                                                      QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"));
    if (path.isEmpty() || !m_tracker->isTracking())
        return;
    const QString file = MapImage::isMapFileName(path) ? path : path + QStringLiteral(".png");
    const AtlasFigures& figures = m_tracker->figures();
    MapSvg::Picture picture;
    for (int country = 0; country < m_tracker->data().countries.size(); ++country)
        picture.records.push_back(figures.country(country).records);
    picture.places = figures.places();
    QString error;
    if (!MapImage::write(file, MapSvg(m_tracker->data(), kSavedWidth, 0.25).render(picture), &error))
        OkMessage::show(this, QStringLiteral("The map could not be saved."), error, QMessageBox::Warning);
}
