#include "RawHttp.h"

#include <QElapsedTimer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace RawHttp {

QByteArray Answer::header(const QByteArray& lowerCaseName) const
{
    for (const auto& [name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

Answer parse(const QByteArray& response)
{
    Answer answer;
    const qsizetype headEnd = response.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = response.left(headEnd < 0 ? response.size() : headEnd).split('\n');
    const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
    if (!statusLine.value(0).startsWith("HTTP/") || statusLine.size() < 2) {
        answer.error = u"no HTTP status line in %1 bytes"_s.arg(response.size());
        return answer;
    }
    answer.answered = true;
    answer.status = statusLine.at(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            answer.headers.append({lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed()});
    }
    const QByteArray rest = headEnd < 0 ? QByteArray() : response.mid(headEnd + 4);
    const QByteArray length = answer.header("content-length");
    answer.body = length.isEmpty() ? rest : rest.left(length.toLongLong());
    return answer;
}

Answer request(quint16 port, const QByteArray& method, const QByteArray& target, const QByteArray& headers,
               int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(timeoutMs)) {
        Answer failed;
        failed.error = u"no connection: %1"_s.arg(socket.errorString());
        return failed;
    }
    const QByteArray host = headers.toLower().contains("host:") ? QByteArray() : "Host: 127.0.0.1\r\n";
    socket.write(method + ' ' + target + " HTTP/1.1\r\n" + host + headers + "Connection: close\r\n\r\n");
    QByteArray response;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < timeoutMs) {
        socket.waitForReadyRead(qMax<qint64>(1, timeoutMs - clock.elapsed()));
        response += socket.readAll();
    }
    response += socket.readAll();
    Answer answer = parse(response);
    if (socket.state() == QAbstractSocket::ConnectedState && answer.error.isEmpty())
        answer.error = u"the server did not close the connection within %1 ms"_s.arg(timeoutMs);
    return answer;
}

} // namespace RawHttp
