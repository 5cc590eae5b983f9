// The record browser's search over 1,000,000 shared records in an SQLite file: words in
// place, city and comments, the filters and each sort, pages up to the 100th. Target: at most
// 10 ms a search, whatever it asks. It also reports how long the index in memory takes to
// read and how much memory it takes.
//
// The database is generated once per run (about two minutes) in a temporary folder; set
// ROAMLOG_BENCH_SEARCH_DB to a file name to keep it and reuse it in later runs, or to a
// postgresql:// address (of an empty database, filled on the first run) to measure that.
#include "GeneratedLog.h"
#include "server/CountryMap.h"
#include "server/Pages.h"
#include "server/SharedRecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRecords = 1000000;
constexpr int kBatch = 50000;

bool fill(SharedRecordStore& store)
{
    QRandomGenerator random(GeneratedLog::kSeed);
    for (int first = 0; first < kRecords; first += kBatch) {
        QList<SharedRecord> batch;
        batch.reserve(kBatch);
        for (int i = first; i < first + kBatch; ++i) {
            SharedRecord shared;
            shared.installation = QString::number(100000 + i % 7919);
            // Anonymous records have the empty alias, as a request brings it (not a null text).
            shared.alias = i % 3 ? u"walker%1"_s.arg(i % 7919) : QString(QLatin1String(""));
            shared.sharedAt = 1700000000 + i;
            shared.record = GeneratedLog::record(random, i);
            batch.append(shared);
        }
        if (!store.addRecordsInBulk(batch))
            return false;
        std::fprintf(stderr, "\r%d records stored", first + kBatch);
    }
    std::fprintf(stderr, "\n");
    return true;
}

// The memory the process has taken from the heap (glibc); 0 elsewhere. Not its resident
// size, which also counts the pages of the database file read through its mapping.
qint64 heapKilobytes()
{
#ifdef __GLIBC__
    return qint64(mallinfo2().uordblks / 1024);
#else
    return 0;
#endif
}

// One store for every benchmark of the run, opened by the first and closed by main: a
// store left to the program's exit would outlive the SQL module's own registry of
// connections, and closing it then crashes.
struct OpenedStore
{
    QTemporaryDir folder;
    std::unique_ptr<SharedRecordStore> store;
    bool tried = false;
};
OpenedStore* g_opened = nullptr;

SharedRecordStore* store()
{
    if (g_opened->tried)
        return g_opened->store.get();
    g_opened->tried = true;
    QString file = qEnvironmentVariable("ROAMLOG_BENCH_SEARCH_DB");
    if (file.isEmpty())
        file = g_opened->folder.filePath(u"search.sqlite"_s);
    auto candidate = std::make_unique<SharedRecordStore>(file);
    if (!candidate->open()) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(file), qPrintable(candidate->error()));
        return nullptr;
    }
    const bool fresh = candidate->counts().value_or(StoreCounts{}).records == 0;
    if (fresh && !fill(*candidate)) {
        std::fprintf(stderr, "cannot fill %s: %s\n", qPrintable(file), qPrintable(candidate->error()));
        return nullptr;
    }
    // As the server does before it takes requests.
    const qint64 before = heapKilobytes();
    QElapsedTimer clock;
    clock.start();
    if (!candidate->prepareSearches()) {
        std::fprintf(stderr, "the search index could not be read\n");
        return nullptr;
    }
    std::fprintf(stderr, "search index read in %lld ms, %lld MB\n", static_cast<long long>(clock.elapsed()),
                 static_cast<long long>((heapKilobytes() - before) / 1024));
    g_opened->store = std::move(candidate);
    return g_opened->store.get();
}

void runSearch(benchmark::State& state, const RecordSearch& search)
{
    SharedRecordStore* records = store();
    if (!records) {
        state.SkipWithError("no database");
        return;
    }
    qsizetype rows = 0;
    // The search runs on a thread of the store's pool: the process's processor time is what
    // it costs, not the benchmark thread's.
    const auto processTime = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
    };
    const double started = processTime();
    for (auto _ : state) {
        const ResultPage<SharedRecord> page = records->findRecords(search);
        if (page.failed) {
            state.SkipWithError("the search failed");
            return;
        }
        rows = page.rows.size();
        benchmark::DoNotOptimize(page.rows.constData());
    }
    state.counters["rows"] = double(rows);
    state.counters["cpu_us"] = (processTime() - started) / double(state.iterations());
}

RecordSearch search(const QString& words, const QString& country, RecordSearch::Sort sort, int page = 0)
{
    RecordSearch s;
    s.words = words;
    s.country = country;
    s.sort = sort;
    s.page = page;
    return s;
}

using Sort = RecordSearch::Sort;

// A word of one record only (the number in its place name).
void BM_SearchRareWord(benchmark::State& state) { runSearch(state, search(u"765432"_s, {}, Sort::Place)); }
// A common word of the comments, in one country, newest visit first.
void BM_SearchWordCountryByDate(benchmark::State& state)
{
    runSearch(state, search(u"terrace"_s, u"France"_s, Sort::DateVisited));
}
// Two words, every one must match, sorted by place.
void BM_SearchTwoWordsByPlace(benchmark::State& state) { runSearch(state, search(u"river view"_s, {}, Sort::Place)); }
// An accented word that is also a city.
void BM_SearchAccentedByCity(benchmark::State& state) { runSearch(state, search(u"Zürich"_s, {}, Sort::City)); }
// The country filter alone, sorted by city.
void BM_CountryByCity(benchmark::State& state) { runSearch(state, search({}, u"Italy"_s, Sort::City)); }
// The type filter alone: a tenth of all records.
void BM_TypeByPlace(benchmark::State& state)
{
    RecordSearch s = search({}, {}, Sort::Place);
    s.type = u"Hotel"_s;
    runSearch(state, s);
}
// A satisfaction that a quarter of all records have, newest visit first.
void BM_GoodByDate(benchmark::State& state)
{
    RecordSearch s = search({}, {}, Sort::DateVisited);
    s.satisfaction = u"Good"_s;
    runSearch(state, s);
}
// A country and a type together (one record in a hundred), sorted by country and seq.
void BM_CountryAndTypeByCountry(benchmark::State& state)
{
    RecordSearch s = search({}, u"United Kingdom"_s, Sort::Country);
    s.type = u"Restaurant"_s;
    runSearch(state, s);
}
// A satisfaction that no record has, sorted by city: no row of the city order passes.
void BM_NoSuchSatisfactionByCity(benchmark::State& state)
{
    RecordSearch s = search({}, {}, Sort::City);
    s.satisfaction = u"Nobody's"_s;
    runSearch(state, s);
}
// No filter at all: the first page of all records by place, and a page deep in a search.
void BM_AllByPlace(benchmark::State& state) { runSearch(state, search({}, {}, Sort::Place)); }
void BM_AllByDatePage100(benchmark::State& state) { runSearch(state, search({}, {}, Sort::DateVisited, 100)); }
void BM_SearchPage100ByCountry(benchmark::State& state) { runSearch(state, search(u"quiet"_s, {}, Sort::Country, 100)); }
// The word that most records hold, as a visitor asks for it, and its 100th page by date.
void BM_CommonWordByPlace(benchmark::State& state) { runSearch(state, search(u"the"_s, {}, Sort::Place)); }
void BM_CommonWordPage100ByDate(benchmark::State& state)
{
    runSearch(state, search(u"the"_s, {}, Sort::DateVisited, 100));
}
// A single letter: every word that begins with it, hundreds of thousands of records.
void BM_OneLetterByCity(benchmark::State& state) { runSearch(state, search(u"b"_s, {}, Sort::City)); }
// Two words that few records hold together, though many hold each.
void BM_TwoWordsSeldomTogether(benchmark::State& state) { runSearch(state, search(u"cash terrace"_s, {}, Sort::Place)); }
// Three filters that few records pass together, by date, on the 100th page.
void BM_ThreeFiltersPage100(benchmark::State& state)
{
    RecordSearch s = search({}, u"Denmark"_s, Sort::DateVisited, 100);
    s.type = u"Inn"_s;
    s.satisfaction = u"Poor"_s;
    runSearch(state, s);
}

// The find page as the server answers cmd=find: the first page of every record, the shared
// records of each Country value and the world map of them, in the page's HTML. 0: the map as
// the last request had it; 1: a map of other numbers each time, drawn anew.
void BM_FindPageWithMap(benchmark::State& state)
{
    SharedRecordStore* records = store();
    QString error;
    static const std::unique_ptr<CountryMap> map = CountryMap::load(QStringLiteral(ROAMLOG_ATLAS_DATA), &error);
    if (!records || !map) {
        state.SkipWithError("no database or no map data");
        return;
    }
    const RecordSearch all = search({}, {}, Sort::Place);
    qint64 more = 0;
    for (auto _ : state) {
        const ResultPage<SharedRecord> page = records->findRecords(all);
        auto counts = records->countryCounts();
        if (page.failed || !counts || counts->isEmpty()) {
            state.SkipWithError("the search failed");
            return;
        }
        if (state.range(0) == 1)
            counts->first().second += ++more;
        benchmark::DoNotOptimize(Pages::recordList(all, page, map->svg(*counts)));
    }
}

} // namespace

BENCHMARK(BM_SearchRareWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchWordCountryByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTwoWordsByPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAccentedByCity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountryByCity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeByPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountryAndTypeByCountry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoSuchSatisfactionByCity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllByPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllByDatePage100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchPage100ByCountry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindPageWithMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommonWordByPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommonWordPage100ByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLetterByCity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoWordsSeldomTogether)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeFiltersPage100)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    OpenedStore opened;
    g_opened = &opened;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
