#include "online/RecordSharing.h"

#include "online/ReplyToken.h"
#include "online/SharingReport.h"
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

// What one reply means for its row.
struct Answer
{
    QString mark; // empty: the row keeps its mark
    bool refused = false;
    bool aliasTaken = false;
};

Answer interpret(const QString& reply, int row, const QDate& today)
{
    switch (ReplyTokens::classify(reply)) {
    case ReplyToken::Ok:
        if (const QString id = ReplyTokens::identifier(reply); RecordSharing::isUsableIdentifier(id))
            return {id};
        return {};
    case ReplyToken::Banned:
        return {RecordSharing::banMark(row + 1, today), true};
    case ReplyToken::Taken:
        // Nothing was stored, and every further record would get the same answer.
        return {{}, false, true};
    case ReplyToken::None:
        break;
    }
    return {};
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

bool RecordSharing::isUsableIdentifier(const QString& identifier)
{
    return !identifier.trimmed().isEmpty() && !isOffered(identifier);
}

std::vector<int> RecordSharing::offeredRows(const RecordStore& store)
{
    std::vector<int> rows;
    for (int row = 0; row < store.rowCount(); ++row) {
        if (isOffered(store.row(row).field(RecordColumns::UploadMark)))
            rows.push_back(row);
    }
    return rows;
}

RecordSharing::Outcome RecordSharing::ShareRecords(RecordStore& store, const QDate& today,
                                                   const Hooks& hooks)
{
    Outcome outcome;
    if (store.rowCount() < kMinimumRows) {
        outcome.message = SharingReport::closingMessage(outcome, true);
        return outcome;
    }
    const std::vector<int> offered = offeredRows(store);
    const int total = int(offered.size());
    for (int index = 0; index < total && outcome.stop == Stop::None; ++index) {
        const int row = offered[size_t(index)];
        if (hooks.proceed && !hooks.proceed(index + 1, total)) {
            outcome.stop = Stop::Cancelled;
            outcome.notSent = total - index;
            break;
        }
        hooks.setStatus(QStringLiteral("uploading record  ") + QString::number(row + 1));
        const FetchResult reply = hooks.sendRecord(store.RowToLine(row));
        outcome.sentAny = true;
        const Answer answer = interpret(reply.text, row, today);
        if (reply.failed || answer.aliasTaken) {
            outcome.stop = reply.failed ? Stop::NoAnswer : Stop::AliasTaken;
            outcome.notSent = total - index;
            if (answer.aliasTaken)
                hooks.reportAliasTaken();
        } else if (answer.mark.isEmpty()) {
            ++outcome.unusable;
        } else if (!storeMark(store, row, answer.mark, hooks)) {
            ++outcome.unstored;
        } else {
            ++outcome.postedCount;
            ++(answer.refused ? outcome.refused : outcome.published);
        }
        hooks.setStatus(QStringLiteral("Done"));
        hooks.statusWritten();
    }
    hooks.setStatus(hooks.status() + QStringLiteral(" > uploaded ") +
                    QString::number(outcome.postedCount) + QStringLiteral(" items"));
    if (outcome.postedCount > 0)
        outcome.saved = store.SaveAllRecords();
    outcome.message = SharingReport::closingMessage(outcome, false);
    return outcome;
}
