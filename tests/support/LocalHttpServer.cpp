#include "LocalHttpServer.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

LocalHttpServer::LocalHttpServer()
{
    answer(Answer{});
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

QString LocalHttpServer::closedPortUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return url(probe.serverPort()); // closed again when probe goes
}

void LocalHttpServer::serve(QTcpSocket* socket)
{
    if (!socket->canReadLine() || socket->property("served").toBool())
        return;
    socket->setProperty("served", true);
    const QList<QByteArray> parts = socket->readLine().trimmed().split(' ');
    m_requests.append(parts.value(0) + ' ' + parts.value(1));
    const Answer reply = m_script(parts.value(1));
    if (reply.behaviour == Behaviour::NeverAnswer) {
        connect(socket, &QTcpSocket::disconnected, this, [this] { ++m_abandoned; });
        return;
    }
    if (reply.behaviour == Behaviour::Close)
        return socket->abort();
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\n";
    if (reply.behaviour != Behaviour::NoLength) {
        const qint64 length = reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    socket->write(head + reply.headerLines + "Connection: close\r\n\r\n" + reply.body);
    if (reply.behaviour == Behaviour::Reset)
        return reset(socket);
    socket->disconnectFromHost();
}

void LocalHttpServer::reset(QTcpSocket* socket)
{
    socket->flush();
#ifdef Q_OS_UNIX
    // A zero linger time makes the close send a reset instead of the orderly end.
    const linger now{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
#endif
    socket->abort();
}
