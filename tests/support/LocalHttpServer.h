#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// An HTTP server on 127.0.0.1 (a free port) for the tests of the request layer: it keeps the
// request line of every request ("GET /target") and answers each one from a script.
class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    // NoLength: the close ends the body. NeverAnswer: open and silent. Close: no reply at all.
    // Reset: the head and the body, then the connection is reset instead of closed.
    enum class Behaviour { Normal, NoLength, NeverAnswer, Close, Reset };
    struct Answer
    {
        int status = 200;
        QByteArray body;
        Behaviour behaviour = Behaviour::Normal;
        // The Content-Length announced in the head when not negative (the body's size otherwise),
        // for a reply that is cut off before its end.
        qint64 announcedLength = -1;
        // Further header lines, each ending in CR LF.
        QByteArray headerLines = {};
    };
    using Script = std::function<Answer(const QByteArray& target)>;

    LocalHttpServer();
    void answer(Script script) { m_script = std::move(script); }
    void answer(Answer fixed)
    {
        m_script = [fixed](const QByteArray&) { return fixed; };
    }

    QString baseUrl() const { return url(m_server.serverPort()); } // "http://127.0.0.1:PORT/"
    const QList<QByteArray>& requests() const { return m_requests; }
    int abandoned() const { return m_abandoned; } // NeverAnswer requests the client gave up
    static QString closedPortUrl(); // an address where nothing listens

private:
    static QString url(quint16 port) { return QStringLiteral("http://127.0.0.1:%1/").arg(port); }
    void serve(QTcpSocket* socket);
    static void reset(QTcpSocket* socket);

    QTcpServer m_server;
    Script m_script;
    QList<QByteArray> m_requests;
    int m_abandoned = 0;
};
