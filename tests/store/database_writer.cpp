// A child process for the store's tests, killed by them at random moments: "alternate FOLDER
// ROWS" takes the folder's lock, prints "ready", then rewrites the file in turn with two logs of
// the same ROWS places, versions 0 and 1, which differ in every record; before each rewrite the
// file "replacing" holds the version being replaced.
#include "store/RecordStore.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

RecordTable log(int version, int rows)
{
    RecordTable table;
    TravelRecord record;
    record.setField(RecordColumns::Comments, QStringLiteral("Version %1: ").arg(version) + QString(120, u'c'));
    for (int i = 0; i < rows; ++i) {
        record.setField(RecordColumns::Place, QStringLiteral("Place %1").arg(i));
        table.append(record);
    }
    return table;
}

int alternate(const QString& folder, int rows)
{
    RecordStore store(folder);
    if (!store.lockFolder(0).isEmpty())
        return 1;
    const DatabaseFile& file = store.file();
    const RecordTable logs[2] = {log(0, rows), log(1, rows)};
    RecordTable held;
    file.LoadDatabase(held);
    // One byte, written in place: a kill cannot tear it.
    QFile replacing(QDir(folder).filePath(QStringLiteral("replacing")));
    if ((held.isEmpty() && !file.SaveAllRecords(logs[0])) || !replacing.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (int turn = held.isEmpty() || held.row(0) == logs[0].row(0);; turn = 1 - turn) {
        if (!replacing.seek(0) || !replacing.putChar(char('1' - turn)) || !file.SaveAllRecords(logs[turn]))
            return 1;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("alternate"))
        return alternate(arguments[2], arguments[3].toInt());
    std::fputs("usage: database_writer alternate FOLDER ROWS\n", stderr);
    return 64;
}
