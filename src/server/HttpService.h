#pragma once

#include "server/CountryMap.h"
#include "server/HttpExchange.h"
#include "server/SharedRecordStore.h"

#include <QMap>
#include <QString>
#include <QThreadPool>

// The server's addresses: the version file, the product page, the stylesheet, and the script
// with its writes and pages. A request is read and checked on the event loop and handed to one
// storage call: a write is queued and answered once committed, a page is read on a small pool
// of threads, so that the event loop never waits for the database.
class HttpService
{
public:
    struct Options
    {
        QString currentVersion;
        // The address the product page gives for the desktop program; when empty, the one the
        // client asked for (its Host).
        QString publicUrl;
        int threads = 8; // that read pages from the database
        // The folder of the map data that ships with the program; the find page has no map
        // when it is empty or cannot be read.
        QString atlasFolder;
    };

    HttpService(SharedRecordStore& store, Options options);
    ~HttpService(); // after the pages being read

    void handle(HttpRequest request, HttpResponder respond);

private:
    void script(const HttpRequest& request, HttpResponder respond);
    void shareRecord(QByteArrayView query, HttpResponder respond);
    void postToForum(QByteArrayView query, HttpResponder respond);
    // find, msgs or show; blocks on the database
    HttpReply page(const QMap<QString, QString>& parameters);
    QString publicAddress(const HttpRequest& request) const;
    // The find page's world map of every shared record; empty when there is none.
    QString mapOfSharedRecords();

    SharedRecordStore& m_store;
    Options m_options;
    std::unique_ptr<CountryMap> m_map;
    QThreadPool m_reads;
};
