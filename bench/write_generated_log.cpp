// Writes the generated full log (32,767 records) as "Roamlog.ppd" into a folder, so that the
// command-line tool can be timed on the same file the benchmarks load.
#include "GeneratedLog.h"
#include "store/DatabaseFile.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 || !QDir(arguments[1]).exists()) {
        std::fputs("usage: roamlog_write_log FOLDER (an existing folder)\n", stderr);
        return 64;
    }
    const StoreResult saved =
        DatabaseFile(arguments[1]).SaveAllRecords(GeneratedLog::table(RecordTable::MaxRows));
    if (!saved) {
        std::fprintf(stderr, "%s\n", qPrintable(saved.error));
        return 3;
    }
    return 0;
}
