// The main window with a full record list (32,767 records), offscreen: how long the list takes to
// paint after the load, a header click until the sorted list is painted, a click that shows a
// record in the form, Replace / Remove with the rewrite of the whole file, and keystrokes in
// the search box, and a screen reader's walk of the list.
// Also reports the resident memory, and the time the pick lists take to load at start with the
// shipped combos.ini and with one of 10,000 more entries.
#include "GeneratedLog.h"
#include "OffscreenApplication.h"
#include "settings/ProgramValues.h"
#include "store/DatabaseFile.h"
#include "store/PickLists.h"
#include "store/RecordColumns.h"
#include "store/RecordTable.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <climits>
#include <memory>

namespace {

constexpr int kRecords = RecordTable::MaxRows;

// One window over a folder holding the generated log, kept for all benchmarks.
struct Fixture
{
    Fixture()
    {
        QFile file(folder.filePath(QLatin1String(DatabaseFile::kFileName)));
        if (!file.open(QIODevice::WriteOnly) || file.write(DatabaseFile::rewrittenContent(GeneratedLog::table(kRecords))) < 0)
            qFatal("cannot write the benchmark database");
        file.close();
        window = std::make_unique<FrmScrn>(ProgramValues::forFolder(folder.path()), [](const QUrl&) { return true; });
        window->show();
        window->LoadDatabase();
        window->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    std::unique_ptr<FrmScrn> window;
};

// Made at the first benchmark that needs it, ended before the application.
std::unique_ptr<Fixture>& fixtureSlot()
{
    static std::unique_ptr<Fixture> instance;
    return instance;
}

Fixture& fixture()
{
    if (!fixtureSlot())
        fixtureSlot() = std::make_unique<Fixture>();
    return *fixtureSlot();
}

void paintList(FrmScrn& window)
{
    QWidget* viewport = window.listView1()->viewport();
    viewport->repaint();
    benchmark::DoNotOptimize(viewport->grab());
}

// A press and release of the left button on a row, as the user clicks it.
void clickRow(RecordListView* list, int row)
{
    list->scrollTo(list->model()->index(row, 0));
    const QPointF at = list->visualRect(list->model()->index(row, 0)).center();
    const QPointF global = list->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
}

void BM_LoadDatabase(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    for (auto _ : state) {
        window.LoadDatabase();
        benchmark::DoNotOptimize(window.store().rowCount());
    }
}

void BM_ListPaintedAfterLoad(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    for (auto _ : state) {
        state.PauseTiming();
        window.LoadDatabase();
        state.ResumeTiming();
        QCoreApplication::processEvents();
        paintList(window);
    }
}

// A click on a column's header, from the press to the sorted list painted on screen.
void BM_HeaderClickToPaintedList(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    const int column = int(state.range(0));
    RecordListView* list = window.listView1();
    QHeaderView* header = list->horizontalHeader();
    list->scrollTo(list->model()->index(0, column));
    QCoreApplication::processEvents();
    const QPointF at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    const QPointF global = header->viewport()->mapToGlobal(at);
    for (auto _ : state) {
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &press);
        QApplication::sendEvent(header->viewport(), &release);
        QCoreApplication::processEvents();
        paintList(window);
    }
    state.SetLabel(RecordColumns::header(column).toStdString());
}

void BM_ClickFillsForm(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % kRecords;
        clickRow(window.listView1(), row);
    }
    if (window.entryForm()->text1(0) != window.store().row(row).field(0))
        state.SkipWithError("the form does not show the clicked record");
}

void BM_Replace(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    const int row = kRecords / 2;
    for (auto _ : state) {
        state.PauseTiming();
        clickRow(window.listView1(), row);
        window.entryForm()->setText1(2, QStringLiteral("Faro"));
        state.ResumeTiming();
        window.entryCommands()->toolbar1Click(2);
    }
    if (window.store().row(row).field(RecordColumns::City) != QLatin1String("Faro"))
        state.SkipWithError("Replace did not change the record");
}

void BM_Remove(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    const int row = kRecords / 3;
    for (auto _ : state) {
        state.PauseTiming();
        const TravelRecord removed = window.store().row(row);
        clickRow(window.listView1(), row);
        state.ResumeTiming();
        window.entryCommands()->RemoveEntry();
        state.PauseTiming();
        if (window.store().rowCount() != kRecords - 1)
            state.SkipWithError("Remove did not remove the record");
        window.recordModel()->insertRecord(row, removed);
        state.ResumeTiming();
    }
}

QLineEdit* searchBox(FrmScrn& window)
{
    return window.findChild<QLineEdit*>(QStringLiteral("SearchBox"));
}

// One keystroke in the search box with the list repainted: the text goes through the prefixes
// of a search, as typed letter by letter, and starts again from an empty box.
void BM_SearchKeystroke(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    QLineEdit* box = searchBox(window);
    const QString typed = QString::fromUtf8(state.range(0) == 0 ? "cafe lisboa" : "hotel 1234");
    qsizetype length = 0;
    int shownRows = 0;
    for (auto _ : state) {
        length = (length + 1) % (typed.size() + 1);
        box->setText(typed.left(length));
        QCoreApplication::processEvents();
        paintList(window);
        shownRows = window.listView1()->model()->rowCount();
    }
    state.SetLabel(typed.toStdString());
    state.counters["rows_shown_last"] = shownRows;
    box->clear();
    if (window.listView1()->model()->rowCount() != window.store().rowCount())
        state.SkipWithError("an empty search does not show every record");
}

void waitForSearchTexts(FrmScrn& window)
{
    while (!window.recordModel()->searchTextsPrepared())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The first letter typed after a load, once the search texts prepared in the background are
// ready (as they are by the time a user types).
void BM_FirstSearchAfterLoad(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    QLineEdit* box = searchBox(window);
    for (auto _ : state) {
        state.PauseTiming();
        box->clear();
        window.LoadDatabase();
        waitForSearchTexts(window);
        state.ResumeTiming();
        box->setText(QStringLiteral("c"));
        QCoreApplication::processEvents();
        paintList(window);
    }
    box->clear();
}

// How long the search texts take to prepare in the background after a load: a letter typed
// sooner waits for the rest of them.
void BM_SearchTextsPreparedAfterLoad(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    for (auto _ : state) {
        state.PauseTiming();
        window.LoadDatabase();
        window.recordModel()->resetWith([] {});
        state.ResumeTiming();
        waitForSearchTexts(window);
    }
}

// A window's start with the shipped pick lists (Arg 0), with 10,000 more countries (1) or with
// 10,000 more entries spread over the seven lists (2): a new window shown, the lists read from
// the file and put into the boxes, and the Edit tab painted, as at start. The difference
// between the arguments is what the longer lists cost.
void BM_StartWithPickLists(benchmark::State& state)
{
    QFile shipped(QStringLiteral(ROAMLOG_COMBOS_PATH));
    if (!shipped.open(QIODevice::ReadOnly))
        qFatal("cannot read the shipped pick lists");
    QByteArray content = shipped.readAll();
    static const char* const kSections[] = {"Ph code", "Type", "Reservation", "Satisfaction", "Cost", "Requirements", "Posted"};
    for (int i = 0; state.range(0) > 0 && i < 10000; ++i) {
        const int section = state.range(0) == 1 ? 0 : i % 7;
        content += QByteArray("[") + kSections[section] + "]\r\n" + (section == 0 ? "99 " : "") + "Entry " +
                   QByteArray::number(i) + "\r\n";
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QLatin1String(PickLists::kFileName)));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write the pick lists");
    file.close();
    for (auto _ : state) {
        FrmScrn window(ProgramValues::forFolder(dir.path()), [](const QUrl&) { return true; });
        window.show();
        window.LoadPickLists(LoadPickLists(file.fileName()));
        window.ssTab1()->setCurrentIndex(FrmScrn::EditTab);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
    state.counters["countries"] = double(parsePickLists(content).telephoneCodes.size());
}

// Every object under a list read by name and role, as a tool that walks the tree does; of a
// node's children at most the first given.
qint64 walk(QAccessibleInterface* node, int childrenAtMost)
{
    benchmark::DoNotOptimize(node->text(QAccessible::Name));
    benchmark::DoNotOptimize(node->role());
    qint64 objects = 1;
    for (int i = 0, children = qMin(node->childCount(), childrenAtMost); i < children; ++i) {
        if (QAccessibleInterface* child = node->child(i))
            objects += walk(child, childrenAtMost);
    }
    return objects;
}

// A screen reader's walk of the record list scrolled to some place (Arg 0), and, to compare,
// of a plain QTableView over the same records with Qt's own interface, which has every cell of
// every record as a child (Arg 1): there only the first 20,000 children are walked, since the
// whole walk takes many minutes.
void BM_ScreenReaderWalksTheList(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    std::unique_ptr<QTableView> plain;
    QAbstractItemView* view = window.listView1();
    if (state.range(0) == 1) {
        plain = std::make_unique<QTableView>();
        plain->setModel(view->model());
        plain->resize(view->size());
        plain->show();
        view = plain.get();
    }
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    int row = 0;
    qint64 objects = 0;
    for (auto _ : state) {
        row = (row + 7919) % kRecords;
        view->scrollTo(view->model()->index(row, 0));
        objects = walk(list, plain ? 20000 : INT_MAX);
    }
    state.SetLabel(state.range(0) == 0 ? "record list" : "QTableView, its first 20,000 children");
    state.counters["objects"] = double(objects);
    state.counters["children"] = list->childCount();
}

// A screen reader asking the record list's table for cells anywhere in it, by row and column:
// 1,000 cells a round, each read by name.
void BM_ScreenReaderReadsCellsAnywhere(benchmark::State& state)
{
    FrmScrn& window = *fixture().window;
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(window.listView1())->tableInterface();
    int row = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            row = (row + 7919) % kRecords;
            benchmark::DoNotOptimize(table->cellAt(row, i % table->columnCount())->text(QAccessible::Name));
        }
        // What the reader was given is forgotten from the event loop, as between its requests.
        QCoreApplication::processEvents();
    }
    if (table->rowCount() != kRecords)
        state.SkipWithError("the table does not count every record");
}

void BM_ResidentMemory(benchmark::State& state)
{
    fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture().window->store().rowCount());
#ifdef __linux__
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                state.counters["resident_MB"] = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
#endif
}

} // namespace

BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListPaintedAfterLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeaderClickToPaintedList)->Arg(RecordColumns::Place)->Arg(RecordColumns::City)->Arg(RecordColumns::DateVisited)->Arg(RecordColumns::Comments)->Arg(RecordColumns::DateModified)->Arg(RecordColumns::Price)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickFillsForm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Replace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Remove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstSearchAfterLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTextsPreparedAfterLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartWithPickLists)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenReaderWalksTheList)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScreenReaderWalksTheList)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenReaderReadsCellsAnywhere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResidentMemory)->Iterations(1);

int main(int argc, char** argv)
{
    const OffscreenApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtureSlot().reset();
    return 0;
}
