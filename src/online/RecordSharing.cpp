#include "online/RecordSharing.h"

#include "online/ReplyToken.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"

#include <QLocale>

namespace {

// Changes a row's mark through the store; false when the store refuses the new record.
bool storeMark(RecordStore& store, int row, const QString& mark, const RecordSharing::Hooks& hooks)
{
    TravelRecord record = store.row(row);
    if (record.setField(RecordColumns::UploadMark, mark) ||
        !store.replaceRow(row, std::move(record)))
        return false;
    if (hooks.markChanged)
        hooks.markChanged(row);
    return true;
}

} // namespace

QString RecordSharing::banMark(int row, const QDate& today)
{
    return QStringLiteral("x ") + QString::number(row) + QStringLiteral("-") +
           QLocale::c().toString(today, QStringLiteral("yyMMdd"));
}

bool RecordSharing::isOffered(const QString& mark)
{
    return mark == u"*" || mark == u" ";
}

RecordSharing::Outcome RecordSharing::ShareRecords(RecordStore& store, const QDate& today,
                                                   const Hooks& hooks)
{
    Outcome outcome;
    QString closing;
    const int rows = store.rowCount();
    if (rows < kMinimumRows) {
        closing = QStringLiteral("First post must have at least 3 entries");
    } else {
        for (int row = 0; row < rows && !outcome.aliasTaken; ++row) {
            if (!isOffered(store.row(row).field(RecordColumns::UploadMark)))
                continue;
            const QString line = store.RowToLine(row);
            hooks.setStatus(QStringLiteral("uploading record  ") + QString::number(row + 1));
            const QString reply = hooks.sendRecord(line);
            outcome.sentAny = true;

            // Only an identifier or a refusal is an answer worth keeping; anything else leaves
            // the row offered so that the next share sends it again.
            QString mark;
            switch (ReplyTokens::classify(reply)) {
            case ReplyToken::Ok:
                mark = ReplyTokens::identifier(reply);
                break;
            case ReplyToken::Banned:
                mark = banMark(row + 1, today);
                break;
            case ReplyToken::Taken:
                // Nothing was stored, and every further record would get the same answer.
                outcome.aliasTaken = true;
                hooks.reportAliasTaken();
                break;
            case ReplyToken::None:
                break;
            }
            if (!mark.isEmpty() && storeMark(store, row, mark, hooks))
                ++outcome.postedCount;
            hooks.setStatus(QStringLiteral("Done"));
            hooks.statusWritten();
        }
        hooks.setStatus(hooks.status() + QStringLiteral(" > uploaded ") +
                        QString::number(outcome.postedCount) + QStringLiteral(" items"));
        if (outcome.postedCount > 0) {
            outcome.saved = store.SaveAllRecords();
            closing = QStringLiteral("Thank you!");
        }
    }
    outcome.message = QStringLiteral("Posted ") + QString::number(outcome.postedCount) +
                      QStringLiteral(" items. \r\n\r\n") + closing;
    return outcome;
}
