#include "ui/online/ShareCommand.h"

#include "online/ServerRequests.h"
#include "online/SharingReport.h"
#include "online/TextFetcher.h"
#include "ui/entry/EntryCommands.h"
#include "ui/list/RecordListModel.h"
#include "ui/online/AliasTakenReport.h"
#include "ui/online/ShareProgress.h"
#include "ui/user/UserTab.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/StatusLine.h"
#include "ui/window/FrmScrn.h"

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

ShareCommand::ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent)
    : QObject(parent), m_window(window), m_fetcher(fetcher), m_status(status)
{
    connect(&window, &FrmScrn::shareRequested, this, &ShareCommand::ShareRecords);
}

void ShareCommand::SendRecord(const QString& line, QObject* request, const RecordSharing::Reply& reply)
{
    // Read from the controls at this moment: a changed alias counts even before it is stored.
    const UserTab* tab = m_window.userTab();
    const QString user = tab->check1()->isChecked() ? QString() : tab->text3(0)->text();
    const QString address = ServerRequests::addRecordAddress(m_window.values().scriptUrl(),
                                                             tab->label2()->text(), user, line);
    m_fetcher.fetch(address, request, reply);
}

bool ShareCommand::userAgrees() const
{
    const RecordStore& store = m_window.store();
    if (store.rowCount() < RecordSharing::kMinimumRows)
        return true; // nothing will be sent
    const std::vector<int> offered = RecordSharing::offeredRows(store);
    if (offered.empty())
        return true;
    const QString host = QUrl(m_window.values().serverBaseUrl).host();
    const QStringList fields = SharingReport::publishedFields(store, offered);
    return QuestionMessage::askShareOrCancel(&m_window, SharingReport::question(int(offered.size()), fields, host));
}

RecordSharing::Hooks ShareCommand::hooks()
{
    RecordSharing::Hooks hooks;
    hooks.sendRecord = [this](const QString& line, QObject* request, const RecordSharing::Reply& reply) {
        SendRecord(line, request, reply);
    };
    hooks.setStatus = [this](const QString& text) { m_status.setText(text); };
    hooks.status = [this] { return m_status.text(); };
    hooks.statusWritten = [this] { m_status.markPending(); };
    hooks.reportAliasTaken = [this] { ReportAliasTaken(m_window); };
    hooks.markChanged = [this](int row) { m_window.recordModel()->rowChanged(row); };
    hooks.progress = [this](int index, int total) {
        if (!m_progress) {
            // The dialog comes with the first request: with nothing to send there is nothing to wait for.
            m_progress = new ShareProgress(&m_window);
            // Queued, so that the dialog has closed before the sharing ends and closes it.
            connect(m_progress, &QDialog::rejected, m_run, &RecordSharing::cancel, Qt::QueuedConnection);
            // Busy, but the window can still be worked.
            m_window.setCursor(Qt::BusyCursor);
        }
        m_progress->step(index, total);
    };
    return hooks;
}

void ShareCommand::ShareRecords()
{
    if (isSharing())
        return; // one share at a time
    delete m_run; // the last one, kept until now since it ends inside its own calls
    m_run = nullptr;
    if (!userAgrees()) {
        m_status.show(QStringLiteral("Share cancelled: nothing was sent"));
        return;
    }
    m_run = new RecordSharing(m_window.store(), QDate::currentDate(), hooks(), this);
    connect(m_run, &RecordSharing::finished, this, &ShareCommand::shareFinished);
    m_window.entryCommands()->holdChanges(
        QStringLiteral("Sharing in progress: the records can be changed again once it has ended"));
    m_run->start();
}

void ShareCommand::endNow()
{
    if (!isSharing())
        return;
    m_ending = true;
    m_run->cancel();
    m_ending = false;
}

void ShareCommand::shareFinished()
{
    const RecordSharing::Outcome outcome = m_run->outcome();
    m_window.entryCommands()->holdChanges({});
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_window.unsetCursor();
    if (!m_ending)
        OkMessage::show(&m_window, outcome.message);
    if (!outcome.saved.ok)
        OkMessage::showSaveFailure(&m_window, outcome.saved.error);
}
