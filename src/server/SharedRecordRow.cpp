#include "server/SharedRecordRow.h"

#include "store/Cp1252.h"
#include "store/RecordValues.h"

#include <QLocale>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace SharedRecordRow {

QString columns() { return u"id, mac, alias, shared_at, line"_s; }

SharedRecord fromQuery(const QSqlQuery& query)
{
    SharedRecord shared;
    shared.identifier = query.value(0).toString();
    shared.installation = query.value(1).toString();
    shared.alias = query.value(2).toString();
    shared.sharedAt = query.value(3).toLongLong();
    shared.record =
        TravelRecord::fromDecodedLine(Cp1252::fromUnicode(query.value(4).toString())).value_or(TravelRecord());
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
