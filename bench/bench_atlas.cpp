// The Atlas over a full log (32,767 records in 230 countries and their cities), offscreen: the
// first opening of the tab, one change of the list followed by the tab, a repaint of the map
// at 1920x1080 (whole world and a close view), reading the map data, and the start of the
// window with and without the map data. ROAMLOG_BENCH_ATLAS_MEMORY=with|without prints the
// resident memory of the window with the tab opened, or without the map data, and exits
// (with ROAMLOG_BENCH_ATLAS_PICTURE=FILE.png it also saves the window, to look at).
#include "OffscreenApplication.h"
#include "atlas/AtlasData.h"
#include "atlas/AtlasFigures.h"
#include "atlas/VisitReader.h"
#include "settings/ProgramValues.h"
#include "store/DatabaseFile.h"
#include "store/PickLists.h"
#include "store/RecordTable.h"
#include "ui/atlas/AtlasLoader.h"
#include "ui/atlas/AtlasTab.h"
#include "ui/atlas/AtlasTracker.h"
#include "ui/atlas/WorldMapView.h"
#include "ui/list/RecordListModel.h"
#include "ui/window/FrmScrn.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRecords = RecordTable::MaxRows;
const QString kData = QStringLiteral(ROAMLOG_DATA_DIR);

// Some cities of each country, read from the shipped places.
QHash<QString, QStringList> citiesByCountry()
{
    QFile file(kData + QStringLiteral("/atlas/cities.tsv"));
    file.open(QIODevice::ReadOnly);
    QHash<QString, QStringList> cities;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().split('\t');
        if (fields.size() == 4 && cities[QString::fromLatin1(fields[0])].size() < 40)
            cities[QString::fromLatin1(fields[0])].append(QString::fromUtf8(fields[1]));
    }
    return cities;
}

// Records in the pick list's countries, most in a few (the first countries of a shuffled list
// far more often than the last), with a city of the country or one the gazetteer lacks, a
// visit between 1990 and 2024, a type and a satisfaction; one in fifty in no known country.
RecordTable atlasLog()
{
    QString error;
    const auto data = AtlasData::load(kData + QStringLiteral("/atlas"), &error, 0);
    QStringList countries = LoadPickLists(kData + QStringLiteral("/combos.ini")).lists[0];
    QRandomGenerator random(20260514);
    std::shuffle(countries.begin(), countries.end(), random);
    const QHash<QString, QStringList> cities = citiesByCountry();
    static const char* const types[] = {"Hotel", "Restaurant", "Museum", "Shop", "Bar", "Campsite", "Café"};
    static const char* const moods[] = {"Excellent", "Very good", "Good", "Average", "Poor"};
    RecordTable table;
    for (int i = 0; i < kRecords; ++i) {
        const double skew = std::pow(random.generateDouble(), 3);
        const QString country = i % 50 == 0 ? QStringLiteral("Atlantis %1").arg(i % 7) : countries[int(skew * countries.size())];
        const int matched = data->matcher->match(country);
        const QStringList known = matched < 0 ? QStringList() : cities.value(data->countries.at(matched).code);
        const QString city = random.bounded(10) == 0 || known.isEmpty() ? QStringLiteral("Village %1").arg(random.bounded(500))
                                                                       : known[random.bounded(int(known.size()))];
        TravelRecord record;
        record.setField(RecordColumns::Place, QStringLiteral("Place %1").arg(i));
        record.setField(RecordColumns::Country, country);
        record.setField(RecordColumns::City, city);
        record.setField(RecordColumns::Type, QString::fromUtf8(types[random.bounded(7)]));
        record.setField(RecordColumns::Satisfaction, QString::fromUtf8(moods[random.bounded(5)]));
        record.setField(RecordColumns::DateVisited, QStringLiteral("%1-%2-%3")
                                                        .arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
                                                        .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0'))
                                                        .arg(random.bounded(1990, 2025)));
        table.append(record);
    }
    return table;
}

struct Folder
{
    Folder()
    {
        QFile file(dir.filePath(QLatin1String(DatabaseFile::kFileName)));
        if (!file.open(QIODevice::WriteOnly) || file.write(DatabaseFile::rewrittenContent(atlasLog())) < 0)
            qFatal("cannot write the benchmark database");
    }
    QTemporaryDir dir;
    QTemporaryDir noData; // a shared folder without the map data
};

Folder& folder()
{
    static Folder instance;
    return instance;
}

// A window over the log, shown and loaded; shared: the folder of the program's own files.
std::unique_ptr<FrmScrn> openWindow(const QString& shared)
{
    auto window = std::make_unique<FrmScrn>(ProgramValues::forFolders({shared, folder().dir.path()}),
                                            [](const QUrl&) { return true; });
    window->resize(1920, 1080);
    window->show();
    window->LoadDatabase();
    QCoreApplication::processEvents();
    return window;
}

// Until the map data is read and the records counted, as they are on worker threads from
// the start.
void waitForMapData(FrmScrn& window, bool counted = true)
{
    while (!window.atlasTab()->loader()->isDone() || (counted && window.atlasTab()->loader()->data() &&
                                                       !window.atlasTab()->tracker()->isTracking()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

void openAtlas(FrmScrn& window)
{
    window.ssTab1()->setCurrentIndex(FrmScrn::AtlasTabIndex);
    benchmark::DoNotOptimize(window.atlasTab()->grab());
}

// From the click on the tab to the tab painted, once the worker threads are done.
void BM_AtlasFirstOpening(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<FrmScrn> window = openWindow(kData);
        waitForMapData(*window);
        state.ResumeTiming();
        openAtlas(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

// The window of the benchmarks below, closed by main while the application still runs.
std::unique_ptr<FrmScrn> g_atlasWindow;

FrmScrn& atlasWindow()
{
    if (!g_atlasWindow) {
        g_atlasWindow = openWindow(kData);
        waitForMapData(*g_atlasWindow);
        openAtlas(*g_atlasWindow);
    }
    return *g_atlasWindow;
}

// Every record of the log read and counted with fresh caches, as the first opening does.
void BM_CountEveryRecord(benchmark::State& state)
{
    QString error;
    const auto data = AtlasData::load(kData + QStringLiteral("/atlas"), &error);
    const RecordTable table = atlasLog();
    for (auto _ : state) {
        VisitReader reader(*data);
        AtlasFigures figures(data->countries.size());
        for (int row = 0; row < table.rowCount(); ++row)
            figures.add(reader.read(table.row(row)));
        benchmark::DoNotOptimize(figures.records());
    }
}

// A record added to the list and taken away again: two changes, each followed by the figures,
// the table, the charts and the map's colours. First argument 0: a record like those of the
// log; 1: one of a new country, city, year, type and satisfaction, each a new bar. Second
// argument 1: the Atlas tab in front; 0: the Edit tab in front, as when the form adds a record
// (the charts follow when the tab is shown).
void BM_AtlasFollowsTwoChanges(benchmark::State& state)
{
    FrmScrn& window = atlasWindow();
    window.ssTab1()->setCurrentIndex(state.range(1) ? FrmScrn::AtlasTabIndex : FrmScrn::EditTab);
    const bool alike = state.range(0) == 0;
    TravelRecord record;
    record.setField(RecordColumns::Place, QStringLiteral("Benchmark"));
    record.setField(RecordColumns::Country, alike ? QStringLiteral("France") : QStringLiteral("Mongolia"));
    record.setField(RecordColumns::City, alike ? QStringLiteral("Paris") : QStringLiteral("Ulaanbaatar"));
    record.setField(RecordColumns::DateVisited, alike ? QStringLiteral("05-14-2010") : QStringLiteral("05-14-2026"));
    record.setField(RecordColumns::Type, alike ? QStringLiteral("Hotel") : QStringLiteral("Yurt"));
    record.setField(RecordColumns::Satisfaction, alike ? QStringLiteral("Good") : QStringLiteral("Unforgettable"));
    for (auto _ : state) {
        window.recordModel()->appendRecord(record);
        window.recordModel()->removeRecord(window.recordModel()->rowCount() - 1);
    }
}

// The whole map drawn again, as a repaint after a pan or a zoom does; the close view is of
// Europe, eight times larger.
void BM_MapRepaint1920x1080(benchmark::State& state)
{
    WorldMapView* map = atlasWindow().atlasTab()->map();
    map->showWholeWorld();
    if (state.range(0) == 1)
        map->zoomAt(map->origin() + QPointF(190, 40) * map->scale(), 8);
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        map->paintMap(painter, image.size());
    }
}

void BM_ReadMapData(benchmark::State& state)
{
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(AtlasData::load(kData + QStringLiteral("/atlas"), &error));
    }
}

// The window made, shown and loaded, with the map data (read on its worker thread meanwhile)
// and without it.
void BM_WindowStart(benchmark::State& state)
{
    g_atlasWindow.reset(); // one window at a time holds the folder
    const QString shared = state.range(0) ? kData : folder().noData.path();
    for (auto _ : state) {
        std::unique_ptr<FrmScrn> window = openWindow(shared);
        state.PauseTiming();
        waitForMapData(*window);
        window.reset();
        state.ResumeTiming();
    }
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

int printMemory(const QString& which)
{
    const bool with = which == QLatin1String("with");
    std::unique_ptr<FrmScrn> window = openWindow(with ? kData : folder().noData.path());
    waitForMapData(*window);
    if (with)
        openAtlas(*window);
    if (const QString picture = qEnvironmentVariable("ROAMLOG_BENCH_ATLAS_PICTURE"); !picture.isEmpty())
        window->grab().save(picture);
    std::printf("resident memory %s the Atlas: %.1f MB\n", with ? "with" : "without", residentKilobytes() / 1024.0);
    return 0;
}

} // namespace

BENCHMARK(BM_AtlasFirstOpening)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AtlasFollowsTwoChanges)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapRepaint1920x1080)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountEveryRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMapData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    const OffscreenApplication application(argc, argv);
    if (const QString which = qEnvironmentVariable("ROAMLOG_BENCH_ATLAS_MEMORY"); !which.isEmpty())
        return printMemory(which);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_atlasWindow.reset();
    return 0;
}
