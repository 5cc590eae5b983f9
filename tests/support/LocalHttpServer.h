#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpServer>

#include <functional>

// An HTTP server on 127.0.0.1 for the tests of the request layer. It keeps the request line
// of every request as it arrived and answers each one from a script.
class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    enum class Behaviour
    {
        Normal,      // status line, Content-Length, body, close
        NoLength,    // status line and body without a length; the close ends the body
        NeverAnswer, // reads the request and keeps the connection open, silent
        Close,       // closes the connection without a word
    };
    struct Answer
    {
        int status = 200;
        QByteArray body;
        Behaviour behaviour = Behaviour::Normal;
    };
    using Script = std::function<Answer(const QByteArray& target)>;

    explicit LocalHttpServer(QObject* parent = nullptr);

    // Every request gets the same answer, or the answer the script gives for its target.
    void answer(Answer fixed);
    void answer(Script script) { m_script = std::move(script); }
    // The answers in this order, one a request; requests beyond them are closed unanswered.
    void answerInTurn(QList<Answer> answers);

    QString baseUrl() const; // "http://127.0.0.1:PORT/"
    // Method and target of each request, e.g. "GET /cgi-bin/x?a=1".
    const QList<QByteArray>& requests() const { return m_requests; }

    // An address on 127.0.0.1 where nothing listens.
    static QString closedPortUrl();

private:
    void serve(class QTcpSocket* socket);

    QTcpServer m_server;
    Script m_script;
    QList<QByteArray> m_requests;
};
