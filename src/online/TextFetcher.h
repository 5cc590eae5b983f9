#pragma once

#include "online/FetchResult.h"

#include <QObject>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Makes the program's HTTP GET requests and hands back the body as Windows-1252 text.
// Only http:// and https:// addresses are fetched; anything else fails as a malformed address.
// A body longer than kMaxBodyBytes, a time-out, an unknown host, a refused connection and a
// connection that breaks before the whole body arrived (closed early, reset, shorter than its
// announced length) fail, even after a status line. An error status is not a failure: the
// body the server sent (an error page) is the reply.
//
// The program stays single-threaded and its requests never overlap: FetchText waits for a
// request started by fetchLater to end before it sends its own.
class TextFetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr qint64 kMaxBodyBytes = 1024 * 1024;

    explicit TextFetcher(QObject* parent = nullptr);
    ~TextFetcher() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // One GET of the address. Returns once the body is complete or the request has failed.
    // Meanwhile the thread's events are processed except user input (the windows keep
    // painting, timers run, clicks and keys wait until the request is over).
    FetchResult FetchText(const QString& address);

    // The same request without waiting: done is called with the result later, from the event
    // loop (also for an address that fails at once). At most one such request is in flight;
    // starting another while one waits gives the second one a failure.
    void fetchLater(const QString& address, std::function<void(const FetchResult&)> done);

    bool isBusy() const { return m_pending != nullptr || m_fetching; }

private:
    QNetworkReply* startRequest(const QString& address, QString* whyNot);
    FetchResult finish(QNetworkReply* reply);
    void waitFor(QNetworkReply* reply);

    QNetworkAccessManager* m_network;
    QNetworkReply* m_pending = nullptr;
    bool m_fetching = false; // a FetchText is waiting for its reply
    int m_timeoutMs = kDefaultTimeoutMs;
};
