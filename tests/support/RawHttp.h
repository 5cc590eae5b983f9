#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// HTTP/1.1 over a plain QTcpSocket, for tests that must send a request target byte for byte
// (invalid escapes, NUL, a megabyte of query) where QUrl would repair or refuse it.
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

// One "GET target" with Connection: close, waiting at most timeoutMs for the whole answer.
Answer get(quint16 port, const QByteArray& target, int timeoutMs = 10000);

// Splits what a server sent on a closed connection into status, headers and body
// (Content-Length or chunked).
Answer parse(const QByteArray& response);

} // namespace RawHttp
