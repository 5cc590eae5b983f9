// A child process for the store's failure tests: it writes a folder's database the way the
// program does, under whatever limits its parent set, and says on standard error why a write
// failed.
//   append FOLDER LENGTH   loads the folder, adds one record with a comment of LENGTH
//                          characters and appends it; exit 1 when the append fails
//   rewrite FOLDER COUNT   loads the folder, adds COUNT records and rewrites the file
//   alternate FOLDER       rewrites the two alternating full logs in turn until killed, after
//                          printing "ready"; before each rewrite the file "replacing" holds the
//                          number of the log being replaced
//   hold FOLDER            takes the folder's lock, prints "ready" and waits to be killed
#include "AlternatingLogs.h"

#include "store/RecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <cstdio>

namespace {

int failed(const StoreResult& result)
{
    std::fprintf(stderr, "%s\n", result.error.toUtf8().constData());
    return 1;
}

void ready()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

int append(const QString& folder, int length)
{
    RecordStore store(folder);
    store.LoadDatabase();
    TravelRecord record;
    record.setField(RecordColumns::Place, QStringLiteral("Appended"));
    record.setField(RecordColumns::Comments, QString(length, u'x'));
    if (const StoreResult added = store.appendRow(record); !added)
        return failed(added);
    if (const StoreResult appended = store.AppendRecord(store.rowCount() - 1); !appended)
        return failed(appended);
    return 0;
}

int rewrite(const QString& folder, int count)
{
    RecordStore store(folder);
    store.LoadDatabase();
    for (int i = 0; i < count; ++i) {
        TravelRecord record;
        record.setField(RecordColumns::Place, QStringLiteral("Added %1").arg(i));
        if (const StoreResult added = store.appendRow(record); !added)
            return failed(added);
    }
    if (const StoreResult saved = store.SaveAllRecords(); !saved)
        return failed(saved);
    return 0;
}

int alternate(const QString& folder)
{
    const DatabaseFile file(folder);
    const RecordTable logs[2] = {AlternatingLogs::log(0), AlternatingLogs::log(1)};
    RecordTable held;
    file.LoadDatabase(held);
    // One byte, written in place: a kill cannot tear it.
    QFile replacing(QDir(folder).filePath(QStringLiteral("replacing")));
    if (!replacing.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return 1;
    ready();
    for (int turn = !held.isEmpty() && held.row(0) == logs[0].row(0);;
         turn = 1 - turn) {
        if (!replacing.seek(0) || !replacing.putChar(char('1' - turn)))
            return 1;
        if (const StoreResult saved = file.SaveAllRecords(logs[turn]); !saved)
            return failed(saved);
    }
}

int hold(const QString& folder)
{
    RecordStore store(folder);
    if (const QString why = store.lockFolder(0); !why.isEmpty())
        return failed(StoreResult::failure(why));
    ready();
    for (;;)
        QThread::sleep(60);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    const QString folder = arguments.value(2);
    if (command == QLatin1String("append") && arguments.size() == 4)
        return append(folder, arguments[3].toInt());
    if (command == QLatin1String("rewrite") && arguments.size() == 4)
        return rewrite(folder, arguments[3].toInt());
    if (command == QLatin1String("alternate") && arguments.size() == 3)
        return alternate(folder);
    if (command == QLatin1String("hold") && arguments.size() == 3)
        return hold(folder);
    std::fputs("usage: database_writer append|rewrite FOLDER N | alternate|hold FOLDER\n", stderr);
    return 64;
}
