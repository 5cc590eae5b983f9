#include "online/SharingReport.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"

namespace SharingReport {

namespace {

const QString kParagraph = QStringLiteral("\r\n\r\n");

// "1 record" or "N records".
QString records(int count)
{
    return count == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(count);
}

// "was" or "were", after records(count).
QString was(int count)
{
    return count == 1 ? QStringLiteral("was") : QStringLiteral("were");
}

QString whatHappened(const RecordSharing::Outcome& outcome)
{
    using Stop = RecordSharing::Stop;
    if (!outcome.sentAny && outcome.stop == Stop::None)
        return QStringLiteral("No record was waiting to be shared.");
    QStringList sentences;
    if (outcome.published > 0)
        sentences << records(outcome.published) + u' ' + was(outcome.published) +
                         QStringLiteral(" published.");
    if (outcome.refused > 0)
        sentences << records(outcome.refused) + u' ' + was(outcome.refused) +
                         QStringLiteral(" refused by the server.");
    if (outcome.unusable > 0)
        sentences << records(outcome.unusable) +
                         QStringLiteral(" got an answer the program could not use and will be offered again.");
    if (outcome.unstored > 0)
        sentences << records(outcome.unstored) +
                         QStringLiteral(" got an answer that could not be stored and will be offered again.");
    const int waiting = outcome.notSent;
    switch (outcome.stop) {
    case Stop::None:
        break;
    case Stop::NoAnswer:
        sentences << QStringLiteral("The server did not answer, so %1 still %2 to be shared.")
                         .arg(records(waiting), waiting == 1 ? QStringLiteral("waits")
                                                             : QStringLiteral("wait"));
        break;
    case Stop::AliasTaken:
        sentences << QStringLiteral("The alias belongs to another user, so %1 %2 not shared; "
                                    "change the alias on the User tab and share again.")
                         .arg(records(waiting), was(waiting));
        break;
    case Stop::Cancelled:
        sentences << QStringLiteral("You cancelled the sharing: %1 %2 not shared and will be offered again.")
                         .arg(records(waiting), was(waiting));
        break;
    }
    return sentences.join(u' ');
}

} // namespace

QStringList publishedFields(const RecordStore& store, const std::vector<int>& rows)
{
    QStringList fields;
    for (int column = 0; column < RecordColumns::StoredCount; ++column) {
        const QString caption = RecordColumns::header(column);
        if (caption.isEmpty()) // the upload mark: the server's own bookkeeping
            continue;
        for (int row : rows) {
            if (!store.row(row).fieldBytes(column).isEmpty()) {
                fields << caption.toLower();
                break;
            }
        }
    }
    return fields;
}

QString question(int count, const QStringList& fields, const QString& host)
{
    const QString listed = fields.isEmpty() ? QString() : QStringLiteral(": ") + fields.join(QStringLiteral(", "));
    return QStringLiteral("%1 will be visible to everyone on %2%3.").arg(records(count), host, listed);
}

QString closingMessage(const RecordSharing::Outcome& outcome, bool tooFewRows)
{
    QString message = QStringLiteral("Posted ") + QString::number(outcome.postedCount) +
                      QStringLiteral(" items. ") + kParagraph;
    if (tooFewRows)
        return message + QStringLiteral("First post must have at least 3 entries");
    QStringList parts;
    if (outcome.postedCount > 0)
        parts << QStringLiteral("Thank you!");
    parts << whatHappened(outcome);
    return message + parts.join(kParagraph);
}

} // namespace SharingReport
