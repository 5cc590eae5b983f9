#pragma once

#include "online/FetchResult.h"

#include <QObject>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Makes the program's HTTP GET requests and hands back the body as Windows-1252 text with the
// status. Only http:// and https:// addresses are fetched; anything else fails as a malformed
// address. A body longer than kMaxBodyBytes, a time-out, an unknown host, a refused connection
// and a connection that breaks before the whole body arrived (closed early, reset, shorter
// than its announced length) fail, even after a status line. An error status is not a failure:
// the body the server sent (an error page) is the reply, with its status. A redirect is never
// followed, so that nothing goes to an address the program did not build: the redirect itself
// is the reply.
//
// Requests run side by side and never wait for one another; each caller keeps its own in order.
class TextFetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr qint64 kMaxBodyBytes = 1024 * 1024;
    using Done = std::function<void(const FetchResult&)>;

    explicit TextFetcher(QObject* parent = nullptr);

    // The whole time a request may take, from its start to the end of its body.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // Starts one GET and returns at once. done is called once, later, from the event loop, with
    // what the request brought back (a failure for an address that cannot be fetched), unless
    // context is destroyed first: that breaks the request off at once and done never comes.
    void fetch(const QString& address, QObject* context, Done done);

    // fetch, waiting for the result in a local event loop: for code without a window (the
    // command line, tests of the server). The window never calls it, since the loop would run
    // the window's input in the middle of a command.
    FetchResult FetchText(const QString& address);

private:
    QNetworkReply* startRequest(const QString& address, QString* whyNot);

    QNetworkAccessManager* m_network;
    int m_timeoutMs = kDefaultTimeoutMs;
};
