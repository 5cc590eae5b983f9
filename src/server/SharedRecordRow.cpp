#include "server/SharedRecordRow.h"

#include "store/Cp1252.h"

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

} // namespace SharedRecordRow
