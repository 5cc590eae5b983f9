#include "online/RecordSharing.h"

#include "online/ReplyToken.h"
#include "online/SharingReport.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"

#include <QLocale>
#include <QTimer>

namespace {

// Changes a row's mark through the store; false when the store refuses the new record.
bool storeMark(RecordStore& store, int row, const QString& mark, const RecordSharing::Hooks& hooks)
{
    TravelRecord record = store.row(row);
    if (record.setField(RecordColumns::UploadMark, mark) || !store.replaceRow(row, std::move(record)))
        return false;
    if (hooks.markChanged)
        hooks.markChanged(row);
    return true;
}

} // namespace

RecordSharing::RecordSharing(RecordStore& store, const QDate& today, Hooks hooks, QObject* parent)
    : QObject(parent), m_store(store), m_today(today), m_hooks(std::move(hooks))
{
}

RecordSharing::Answer RecordSharing::answerFor(const FetchResult& reply, int row, const QDate& today)
{
    switch (ReplyTokens::classify(reply)) {
    case ReplyToken::Ok:
        // An identifier that is itself an offered mark would send the record again.
        if (const QString id = ReplyTokens::identifier(reply.text); !id.isEmpty() && !isOffered(id))
            return {id};
        return {};
    case ReplyToken::Banned:
        return {banMark(row + 1, today), true};
    case ReplyToken::Taken:
        // Nothing was stored, and every further record would get the same answer.
        return {{}, false, true};
    case ReplyToken::None:
        break;
    }
    return {};
}

QString RecordSharing::banMark(int row, const QDate& today)
{
    return QStringLiteral("x ") + QString::number(row) + QStringLiteral("-") +
           QLocale::c().toString(today, QStringLiteral("yyMMdd"));
}

bool RecordSharing::isOffered(const QString& mark)
{
    return mark == u"*" || mark == u" ";
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

void RecordSharing::start()
{
    if (m_store.rowCount() < kMinimumRows) {
        m_outcome.message = SharingReport::closingMessage(m_outcome, true);
        m_finished = true;
        emit finished();
        return;
    }
    m_offered = offeredRows(m_store);
    sendNext();
}

void RecordSharing::sendNext()
{
    if (m_finished || m_request)
        return;
    if (m_next == m_offered.size() || m_outcome.stop != Stop::None)
        return conclude();
    const int row = m_offered[m_next];
    if (m_hooks.progress)
        m_hooks.progress(int(m_next) + 1, int(m_offered.size()));
    m_hooks.setStatus(QStringLiteral("uploading record  ") + QString::number(row + 1));
    m_outcome.sentAny = true;
    QObject* request = m_request = new QObject(this);
    m_hooks.sendRecord(m_store.RowToLine(row), request, [this, request](const FetchResult& reply) {
        if (request == m_request)
            answered(reply);
    });
}

void RecordSharing::answered(const FetchResult& reply)
{
    m_request->deleteLater();
    m_request = nullptr;
    const int row = m_offered[m_next];
    const Answer answer = answerFor(reply, row, m_today);
    if (reply.failed || answer.aliasTaken) {
        stopWith(reply.failed ? Stop::NoAnswer : Stop::AliasTaken);
        if (answer.aliasTaken)
            m_hooks.reportAliasTaken();
    } else if (answer.mark.isEmpty()) {
        ++m_outcome.unusable;
    } else if (!storeMark(m_store, row, answer.mark, m_hooks)) {
        ++m_outcome.unstored;
    } else {
        ++m_outcome.postedCount;
        ++(answer.refused ? m_outcome.refused : m_outcome.published);
    }
    ++m_next;
    m_hooks.setStatus(QStringLiteral("Done"));
    m_hooks.statusWritten();
    // From the event loop, so that what the user did meanwhile (a cancel) comes first.
    QTimer::singleShot(0, this, &RecordSharing::sendNext);
}

void RecordSharing::stopWith(Stop stop)
{
    m_outcome.stop = stop;
    m_outcome.notSent = int(m_offered.size() - m_next);
}

void RecordSharing::cancel()
{
    if (m_finished)
        return;
    if (m_outcome.stop == Stop::None)
        stopWith(Stop::Cancelled);
    if (m_request) {
        delete m_request; // breaks the request off
        m_request = nullptr;
        m_hooks.setStatus(QStringLiteral("Done"));
        m_hooks.statusWritten();
    }
    // At once, also between two requests: a window that closes finds the answers so far saved.
    conclude();
}

void RecordSharing::conclude()
{
    m_hooks.setStatus(m_hooks.status() + QStringLiteral(" > uploaded ") + QString::number(m_outcome.postedCount) +
                      QStringLiteral(" items"));
    if (m_outcome.postedCount > 0)
        m_outcome.saved = m_store.SaveAllRecords();
    m_outcome.message = SharingReport::closingMessage(m_outcome, false);
    m_finished = true;
    emit finished();
}
