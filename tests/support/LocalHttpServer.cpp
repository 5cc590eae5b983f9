#include "LocalHttpServer.h"

#include <QTcpSocket>

#include <memory>

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
    answer(Answer{});
}

void LocalHttpServer::answer(Answer fixed)
{
    m_script = [fixed](const QByteArray&) { return fixed; };
}

void LocalHttpServer::answerInTurn(QList<Answer> answers)
{
    auto queue = std::make_shared<QList<Answer>>(std::move(answers));
    m_script = [queue](const QByteArray&) {
        return queue->isEmpty() ? Answer{0, {}, Behaviour::Close} : queue->takeFirst();
    };
}

QString LocalHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort());
}

QString LocalHttpServer::closedPortUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

void LocalHttpServer::serve(QTcpSocket* socket)
{
    if (!socket->canReadLine() || socket->property("served").toBool())
        return;
    socket->setProperty("served", true);
    const QByteArray line = socket->readLine().trimmed();
    const QList<QByteArray> parts = line.split(' ');
    const QByteArray target = parts.value(1);
    m_requests.append(parts.value(0) + ' ' + target);

    const Answer reply = m_script(target);
    if (reply.behaviour == Behaviour::NeverAnswer)
        return;
    if (reply.behaviour == Behaviour::Close) {
        socket->abort();
        return;
    }
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\nConnection: close\r\n";
    if (reply.behaviour == Behaviour::Normal)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    socket->write(head + "\r\n" + reply.body);
    socket->disconnectFromHost();
}
