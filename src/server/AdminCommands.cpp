#include "server/AdminCommands.h"

#include "CsvWriter.h"
#include "server/RecordBackup.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace AdminCommands {

namespace {

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int exportRecords(SharedRecordStore& store, bool complete, std::FILE* out, std::FILE* err)
{
    CsvWriter header;
    header.writeRow(RecordBackup::headerRow(complete));
    std::fwrite(header.bytes().constData(), 1, size_t(header.bytes().size()), out);
    // Written a row at a time, so that a large database needs no large buffer.
    const bool ok = store.forEachRecord([out, complete](const SharedRecord& shared) {
        CsvWriter row;
        row.writeRow(RecordBackup::fieldsOf(shared, complete));
        std::fwrite(row.bytes().constData(), 1, size_t(row.bytes().size()), out);
    });
    if (!ok)
        write(err, u"roamlog-server: export failed: %1\n"_s.arg(store.error()));
    return ok ? 0 : 1;
}

// Every row is read before anything is stored, and all are stored in one transaction.
int importRecords(SharedRecordStore& store, const QString& path, std::FILE* out, std::FILE* err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        write(err, u"roamlog-server: cannot read %1: %2\n"_s.arg(path, file.errorString()));
        return 1;
    }
    QString problem;
    const auto records = RecordBackup::read(file.readAll(), &problem);
    const auto added = records ? store.addRecordsInBulk(*records) : std::nullopt;
    if (!added) {
        write(err, u"roamlog-server: nothing was imported: %1\n"_s.arg(records ? store.error() : problem));
        return 1;
    }
    write(out, u"%1 records imported, %2 were stored already\n"_s.arg(*added).arg(records->size() - *added));
    return 0;
}

} // namespace

bool isAdminCommand(const QString& name)
{
    static const QStringList kNames = {u"ban"_s,   u"unban"_s,  u"remove-record"_s, u"remove-post"_s,
                                       u"stats"_s, u"export"_s, u"import"_s};
    return kNames.contains(name);
}

int run(SharedRecordStore& store, const QString& name, const QStringList& arguments, std::FILE* out,
        std::FILE* err)
{
    if (name == u"export"_s && arguments == QStringList{u"--all"_s})
        return exportRecords(store, true, out, err);
    const bool needsValue = name != u"stats"_s && name != u"export"_s;
    if (arguments.size() != (needsValue ? 1 : 0)) {
        write(err, needsValue ? u"roamlog-server: %1 needs one value\n"_s.arg(name)
                              : u"roamlog-server: %1 takes no value\n"_s.arg(name));
        return 2;
    }
    if (name == u"export"_s)
        return exportRecords(store, false, out, err);
    if (name == u"import"_s)
        return importRecords(store, arguments.first(), out, err);
    if (name == u"stats"_s) {
        const auto counts = store.counts();
        if (!counts) {
            write(err, u"roamlog-server: %1\n"_s.arg(store.error()));
            return 1;
        }
        write(out, u"records %1\nposts %2\ninstallations %3\naliases %4\n"_s.arg(counts->records)
                       .arg(counts->posts)
                       .arg(counts->installations)
                       .arg(counts->aliases));
        return 0;
    }
    const QString value = arguments.first();
    bool done = false;
    QString doneText;
    if (name == u"ban"_s || name == u"unban"_s) {
        done = store.setBanned(value, name == u"ban"_s);
        doneText = name == u"ban"_s ? u"installation %1 banned"_s : u"installation %1 no longer banned"_s;
    } else if (name == u"remove-record"_s) {
        done = store.removeRecord(value);
        doneText = u"record %1 removed"_s;
    } else {
        done = store.removePost(value);
        doneText = u"post %1 removed"_s;
    }
    if (!done) {
        write(err, u"roamlog-server: %1\n"_s.arg(store.error()));
        return 1;
    }
    write(out, doneText.arg(value) + u'\n');
    return 0;
}

} // namespace AdminCommands
