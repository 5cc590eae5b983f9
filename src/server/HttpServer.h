#pragma once

#include "server/HttpExchange.h"

#include <QString>

#include <memory>

struct HttpLimits;

// HTTP/1.1 on an event loop: every connection waits without a thread of its own, so that
// thousands of idle or slow clients cost a socket each and nothing more. The limits of
// HttpLimits hold per connection, and each client address holds at most a set number of
// connections.
class HttpServer
{
public:
    struct Options
    {
        QString host = QStringLiteral("127.0.0.1");
        int port = 8080;                 // 0: a free one
        int connectionsPerAddress = 256; // 0: no cap
        int requestSeconds = 10;         // from the first byte of a request to its end
        int threads = 1;                 // that run the event loop
    };

    HttpServer(Options options, HttpHandler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens; false with *problem set (the system's reason) when that fails.
    bool listen(QString* problem);
    int port() const;
    // Serves until stop(), then returns once every request already received is answered.
    void run();
    // From any thread (a signal's watcher).
    void stop();

private:
    struct Loop;
    std::unique_ptr<Loop> m_loop;
};
