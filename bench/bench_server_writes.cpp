// Shares and forum posts through the server's storage on an SQLite file, from 1 to 64 threads
// at once as the request threads make them: how many writes a second the storage takes,
// without the HTTP side (bench/server_load.sh measures the whole server).
#include "GeneratedLog.h"
#include "server/SharedRecordStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::atomic<int> g_installation{0};

// One store for the threads of a benchmark run, made by its first thread.
struct Shared
{
    QTemporaryDir folder;
    std::unique_ptr<SharedRecordStore> store;
};
std::unique_ptr<Shared> g_shared;

void setUp(const benchmark::State&)
{
    g_shared = std::make_unique<Shared>();
    g_shared->store = std::make_unique<SharedRecordStore>(g_shared->folder.filePath(u"writes.sqlite"_s),
                                                          StoreOptions{{1 << 30, 1 << 30}});
    if (!g_shared->store->open())
        g_shared.reset();
}

void tearDown(const benchmark::State&)
{
    g_shared.reset();
}

void BM_ShareRecord(benchmark::State& state)
{
    QRandomGenerator random(GeneratedLog::kSeed + quint32(state.thread_index()));
    const TravelRecord record = GeneratedLog::record(random, state.thread_index());
    for (auto _ : state) {
        const int n = ++g_installation;
        const WriteOutcome outcome = g_shared->store->shareRecord(
            QString::number(n), n % 2 ? QString() : u"walker%1"_s.arg(n), record, 1700000000);
        if (outcome.status != WriteOutcome::Status::Stored) {
            state.SkipWithError(qPrintable(u"a share was not stored: %1 %2"_s.arg(int(outcome.status)).arg(outcome.error)));
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShareRecord)->Setup(setUp)->Teardown(tearDown)->ThreadRange(1, 64)->UseRealTime();

void BM_PostToForum(benchmark::State& state)
{
    for (auto _ : state) {
        const int n = ++g_installation;
        const WriteOutcome outcome = g_shared->store->postToForum(
            QString::number(n), u"poster %1"_s.arg(n), u"Please add a map of the places I visited."_s,
            u"05-15-2026 10:11:12"_s, 1700000000);
        if (outcome.status != WriteOutcome::Status::Stored) {
            state.SkipWithError("a post was not stored");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostToForum)->Setup(setUp)->Teardown(tearDown)->ThreadRange(1, 64)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
