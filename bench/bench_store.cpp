// The record store on a full log: 32,767 generated records of realistic variety (names,
// addresses, Windows-1252 accents, comments from none to a few sentences), about 16 MB on
// disk. Measures the line encoding, a whole load, a whole rewrite, an append at the end of a
// full file (each with and without the store's check that the file is still its own), and the
// memory the loaded table takes.
#include "GeneratedLog.h"
#include "store/DatabaseFile.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kRecords = RecordTable::MaxRows;

// The generated log, written once per run into a temporary folder.
struct Fixture
{
    QTemporaryDir dir;
    RecordStore store{dir.path()};
    qint64 fileBytes = 0;

    Fixture()
    {
        QRandomGenerator random(GeneratedLog::kSeed);
        for (int i = 0; i < kRecords; ++i)
            store.appendRow(GeneratedLog::record(random, i));
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

// A whole rewrite, by the file alone (Arg 0) and through the store (1), which first checks that
// the file is still the one it wrote last.
void BM_SaveAllRecords(benchmark::State& state)
{
    RecordStore& store = Fixture::get().store;
    const bool checked = state.range(0) == 1;
    if (checked)
        store.LoadDatabase(); // the rewrites by the file alone were not the store's own
    for (auto _ : state) {
        if (!(checked ? store.SaveAllRecords() : store.file().SaveAllRecords(store.table())))
            state.SkipWithError("the rewrite failed");
    }
    state.SetLabel(checked ? "store" : "file");
}
BENCHMARK(BM_SaveAllRecords)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Appending costs the same whether the file is empty or full (first Arg: records in the file),
// and the store's check that the file is still the one it read or wrote adds little to it
// (second Arg: 0 by the file alone, 1 through the store).
void BM_AppendRecord(benchmark::State& state)
{
    QTemporaryDir dir;
    if (state.range(0) > 0)
        QFile::copy(Fixture::get().store.file().path(), dir.filePath(QLatin1String(DatabaseFile::kFileName)));
    RecordStore store(dir.path());
    store.LoadDatabase();
    store.appendRow(Fixture::get().store.row(kRecords / 2));
    const int row = store.rowCount() - 1;
    const bool checked = state.range(1) == 1;
    for (auto _ : state) {
        if (!(checked ? store.AppendRecord(row) : store.file().AppendRecord(store.row(row))))
            state.SkipWithError("the append failed");
    }
    state.counters["fileMB"] = double(QFileInfo(store.file().path()).size()) / 1e6;
    state.SetLabel(checked ? "store" : "file");
}
BENCHMARK(BM_AppendRecord)->Args({0, 0})->Args({0, 1})->Args({kRecords, 0})->Args({kRecords, 1})->Unit(benchmark::kMicrosecond);

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
