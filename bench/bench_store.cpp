// The record store on a full log: 32,767 generated records of realistic variety (names,
// addresses, Windows-1252 accents, comments from none to a few sentences), about 16 MB on
// disk. Measures the line encoding, a whole load, a whole rewrite, an append at the end of a
// full file, and the memory the loaded table takes.
#include "store/DatabaseFile.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kRecords = RecordTable::MaxRows;

template <size_t N>
QString pick(QRandomGenerator& random, const char* const (&choices)[N])
{
    return QString::fromUtf8(choices[random.bounded(int(N))]);
}

TravelRecord generatedRecord(QRandomGenerator& random, int index)
{
    static const char* const kinds[] = {"Hotel", "Hostel", "Restaurant", "Café", "Shop", "Inn",
                                        "Brasserie", "Pension", "Gasthof", "Trattoria"};
    static const char* const names[] = {"Grand", "Central", "Miramar", "Sol", "Royal",
                                        "Old Town", "Harbour", "Garden", "Müller", "Les Amis",
                                        "Señor Pepe", "Zum Löwen", "Øresund", "Bellevue"};
    static const char* const places[][3] = {
        {"351", "Portugal", "Lisboa"},   {"33", "France", "Besançon"},
        {"49", "Germany", "München"},    {"34", "Spain", "Logroño"},
        {"39", "Italy", "Firenze"},      {"45", "Denmark", "Århus"},
        {"1", "Canada", "Québec"},       {"48", "Poland", "Kraków"},
        {"41", "Switzerland", "Zürich"}, {"44", "United Kingdom", "Edinburgh"}};
    static const char* const sentences[] = {
        "Quiet room at the back.", "Breakfast until ten, très bon café.",
        "Ask for the room with the view over the river.", "Noisy on Saturdays.",
        "Parking behind the building costs €12 a night.", "Staff spoke English and Français.",
        "The crème brûlée alone is worth the trip.", "Book ahead in summer; closed on Mondays.",
        "Cash only.", "Lovely terrace, slow service, fair prices — we'd go again."};
    static const char* const marks[] = {"", "*", " ", "83211", "ban"};
    static const char* const moods[] = {"Excellent", "Good", "Fair", "Poor"};
    static const char* const needs[] = {"", "Cash", "Credit card", "Passport"};
    static const char* const booking[] = {"Yes", "No", "Recommended"};
    static const char* const costs[] = {"$", "$$", "$$$", "$$$$"};
    static const char* const stars[] = {"*", "**", "***", "****", "3 forks"};

    const auto& place = places[random.bounded(int(std::size(places)))];
    const QString kind = pick(random, kinds);
    QString comments;
    for (int n = int(random.bounded(3)); n > 0; --n)
        comments += pick(random, sentences) + QLatin1Char(' ');
    const QString street = QStringLiteral("%1 %2").arg(random.bounded(1, 300)).arg(pick(random, names));
    const QString values[RecordColumns::StoredCount] = {
        QStringLiteral("%1 %2 %3").arg(pick(random, names), kind).arg(index),
        pick(random, moods), kind,
        comments.trimmed(), pick(random, names), QString::fromUtf8(place[0]),
        QString::number(random.bounded(1000000, 99999999)),
        random.bounded(3) ? QString() : QString::number(random.bounded(1000000, 99999999)),
        QString::fromUtf8(place[1]), random.bounded(3) ? QString() : QStringLiteral("Région Centre"),
        QString::fromUtf8(place[2]), street + QStringLiteral(" Straße"),
        random.bounded(4) ? QString() : QStringLiteral("Fish, local wine"),
        pick(random, needs),
        pick(random, booking),
        random.bounded(4) ? QString() : QStringLiteral("Guide du Routard"),
        pick(random, costs),
        QStringLiteral("1p:€%1/4p:€%2").arg(random.bounded(20, 400)).arg(random.bounded(60, 900)),
        pick(random, stars),
        QStringLiteral("%1-%2-20%3").arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0')).arg(random.bounded(0, 10), 2, 10, QLatin1Char('0')),
        QStringLiteral("info%1@mail.pt").arg(index),
        random.bounded(3) ? QString() : QStringLiteral("http://www.example.org/%1/").arg(index),
        QStringLiteral("03-07-2006 09:05:07"), pick(random, marks)};
    TravelRecord record;
    for (int column = 0; column < RecordColumns::StoredCount; ++column) {
        if (record.setField(column, values[column]))
            std::abort(); // the generator must only make storable values
    }
    return record;
}

// The generated log, written once per run into a temporary folder.
struct Fixture
{
    QTemporaryDir dir;
    RecordStore store{dir.path()};
    qint64 fileBytes = 0;

    Fixture()
    {
        QRandomGenerator random(2006);
        for (int i = 0; i < kRecords; ++i)
            store.appendRow(generatedRecord(random, i));
        store.SaveAllRecords();
        fileBytes = QFileInfo(store.file().path()).size();
    }
    static Fixture& get()
    {
        static Fixture fixture;
        return fixture;
    }
};

const QString kKey = QString::fromLatin1(LineCodec::kApplicationTitle);

void BM_EncodeLine(benchmark::State& state)
{
    const QString line = Fixture::get().store.RowToLine(kRecords / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeLine(line, kKey));
    state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK(BM_EncodeLine);

void BM_DecodeLine(benchmark::State& state)
{
    const QString encoded = EncodeLine(Fixture::get().store.RowToLine(kRecords / 2), kKey);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeLine(encoded, kKey));
    state.SetBytesProcessed(state.iterations() * encoded.size());
}
BENCHMARK(BM_DecodeLine);

void BM_LoadDatabase(benchmark::State& state)
{
    const DatabaseFile& file = Fixture::get().store.file();
    for (auto _ : state) {
        auto table = std::make_unique<RecordTable>();
        const LoadReport report = file.LoadDatabase(*table);
        if (report.records != kRecords)
            state.SkipWithError("the generated file did not load whole");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = kRecords;
    state.counters["fileMB"] = double(Fixture::get().fileBytes) / 1e6;
}
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond);

void BM_SaveAllRecords(benchmark::State& state)
{
    const RecordStore& store = Fixture::get().store;
    for (auto _ : state) {
        if (!store.SaveAllRecords())
            state.SkipWithError("the rewrite failed");
    }
}
BENCHMARK(BM_SaveAllRecords)->Unit(benchmark::kMillisecond);

// Appending costs the same whether the file is empty or full.
void BM_AppendRecord(benchmark::State& state)
{
    QTemporaryDir dir;
    if (state.range(0) > 0)
        QFile::copy(Fixture::get().store.file().path(), dir.filePath(QLatin1String(DatabaseFile::kFileName)));
    const DatabaseFile file(dir.path());
    const TravelRecord& record = Fixture::get().store.row(kRecords / 2);
    for (auto _ : state) {
        if (!file.AppendRecord(record))
            state.SkipWithError("the append failed");
    }
    state.counters["fileMB"] = double(QFileInfo(file.path()).size()) / 1e6;
}
BENCHMARK(BM_AppendRecord)->Arg(0)->Arg(kRecords)->Unit(benchmark::kMicrosecond);

// The heap taken by the loaded table, beyond that of an empty one.
void BM_TableMemory(benchmark::State& state)
{
#if defined(__GLIBC__)
    const DatabaseFile& file = Fixture::get().store.file();
    double megabytes = 0;
    for (auto _ : state) {
        auto table = std::make_unique<RecordTable>();
        const struct mallinfo2 before = mallinfo2();
        file.LoadDatabase(*table);
        const struct mallinfo2 after = mallinfo2();
        // Small blocks come from the arenas, large ones (the row vector) are mapped.
        megabytes = (double(after.uordblks) - double(before.uordblks) + double(after.hblkhd) -
                     double(before.hblkhd)) / 1e6;
    }
    state.counters["tableMB"] = megabytes;
    state.counters["bytesPerRecord"] = megabytes * 1e6 / kRecords;
#else
    state.SkipWithError("heap figures need glibc's mallinfo2");
#endif
}
BENCHMARK(BM_TableMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
