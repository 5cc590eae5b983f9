#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// HTTP/1.1 over a plain QTcpSocket, for tests that must send a request byte for byte (invalid
// escapes, NUL, a megabyte of target, any method or header) where QUrl would repair or refuse it.
namespace RawHttp {

struct Answer
{
    bool answered = false; // a status line came back
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers; // names lower-cased
    QByteArray body;
    QString error; // why nothing came back

    QByteArray header(const QByteArray& lowerCaseName) const;
};

// One request with Connection: close, waiting at most timeoutMs for the whole answer. headers
// are whole lines ("Name: value\r\n"); a Host line for 127.0.0.1 is added when they hold none.
Answer request(quint16 port, const QByteArray& method, const QByteArray& target, const QByteArray& headers = {},
               int timeoutMs = 10000);
inline Answer get(quint16 port, const QByteArray& target) { return request(port, "GET", target); }

// Splits what a server sent into status, headers and body (by its Content-Length).
Answer parse(const QByteArray& response);

} // namespace RawHttp
