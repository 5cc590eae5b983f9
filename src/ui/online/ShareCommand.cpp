#include "ui/online/ShareCommand.h"

#include "online/RecordSharing.h"
#include "online/ServerRequests.h"
#include "online/SharingReport.h"
#include "online/TextFetcher.h"
#include "ui/list/RecordListModel.h"
#include "ui/online/AliasTakenReport.h"
#include "ui/online/ShareProgress.h"
#include "ui/user/UserTab.h"
#include "ui/widgets/BusyPointer.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/StatusLine.h"
#include "ui/window/FrmScrn.h"

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

#include <optional>

ShareCommand::ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent)
    : QObject(parent), m_window(window), m_fetcher(fetcher), m_status(status)
{
    connect(&window, &FrmScrn::shareRequested, this, &ShareCommand::ShareRecords);
}

FetchResult ShareCommand::SendRecord(const QString& line)
{
    // Read from the controls at this moment: a changed alias counts even before it is stored.
    const UserTab* tab = m_window.userTab();
    const QString user = tab->check1()->isChecked() ? QString() : tab->text3(0)->text();
    const QString address = ServerRequests::addRecordAddress(m_window.values().scriptUrl(),
                                                             tab->label2()->text(), user, line);
    return m_fetcher.FetchText(address);
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

void ShareCommand::ShareRecords()
{
    if (!userAgrees()) {
        m_status.show(QStringLiteral("Share cancelled: nothing was sent"));
        return;
    }
    RecordSharing::Hooks hooks;
    hooks.sendRecord = [this](const QString& line) { return SendRecord(line); };
    hooks.setStatus = [this](const QString& text) { m_status.setText(text); };
    hooks.status = [this] { return m_status.text(); };
    hooks.statusWritten = [this] { m_status.markPending(); };
    hooks.reportAliasTaken = [this] { ReportAliasTaken(m_window); };
    hooks.markChanged = [this](int row) { m_window.recordModel()->rowChanged(row); };

    RecordSharing::Outcome outcome;
    {
        // With too few records nothing is sent, so there is nothing to wait for.
        std::optional<BusyPointer> busy;
        std::optional<ShareProgress> progress;
        if (m_window.store().rowCount() >= RecordSharing::kMinimumRows) {
            busy.emplace();
            progress.emplace(&m_window);
            hooks.proceed = [&progress](int index, int total) { return progress->step(index, total); };
        }
        outcome = RecordSharing::ShareRecords(m_window.store(), QDate::currentDate(), hooks);
    }
    OkMessage::show(&m_window, outcome.message);
    if (!outcome.saved.ok)
        OkMessage::showSaveFailure(&m_window, outcome.saved.error);
}
