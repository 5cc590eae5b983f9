#include "server/SharedRecordRow.h"

#include "store/Cp1252.h"
#include "store/RecordValues.h"

#include <QLocale>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace SharedRecordRow {

QString columns(const SqlDialect& dialect)
{
    return u"id, mac, alias, shared_at, "_s + dialect.utf8Bytes(u"line"_s);
}

namespace {

// The Windows-1252 bytes of a stored line read as UTF-8, decoded in one pass into one buffer:
// every row of every page goes through this. The database holds only lines that this program
// wrote, each character one that Windows-1252 has, none beyond the first plane.
QByteArray lineOf(QByteArrayView utf8)
{
    QByteArray line(utf8.size(), Qt::Uninitialized);
    char* next = line.data();
    for (qsizetype i = 0; i < utf8.size();) {
        const quint8 lead = quint8(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char16_t ch = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            ch = char16_t(ch << 6 | (quint8(utf8[i + k]) & 0x3F));
        i += length;
        if (const int byte = ch < 0x80 ? ch : Cp1252::byteFor(ch); byte >= 0)
            *next++ = char(byte);
    }
    line.truncate(next - line.constData());
    return line;
}

} // namespace

SharedRecord fromQuery(const QSqlQuery& query)
{
    SharedRecord shared;
    shared.identifier = query.value(0).toString();
    shared.installation = query.value(1).toString();
    shared.alias = query.value(2).toString();
    shared.sharedAt = query.value(3).toLongLong();
    shared.record = TravelRecord::fromDecodedLine(lineOf(query.value(4).toByteArray())).value_or(TravelRecord());
    return shared;
}

QString dateKey(const QString& dateVisited)
{
    // The program's dates are written the American way, whatever the server's own locale.
    static const QLocale kProgramLocale(QLocale::English, QLocale::UnitedStates);
    if (const std::optional<double> seconds = RecordValues::dateValue(dateVisited, kProgramLocale))
        return u"D"_s + QString::number(qint64(*seconds)).rightJustified(13, u'0');
    return u"T"_s + dateVisited;
}

} // namespace SharedRecordRow
