#include "SingleInstance.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QLocalSocket>

#include "ProgramFolder.h"
#include "QtText.h"

namespace fl {

QString SingleInstance::Name() {
    const std::string home = ProgramFolder();
    const QByteArray folder =
        QCryptographicHash::hash(QByteArray(home.data(), static_cast<qsizetype>(home.size())),
                                 QCryptographicHash::Sha1)
            .toHex();
    return QString("fieldlink-%1-%2").arg(getuid()).arg(FromUtf8(std::string_view(folder.constData(), 12)));
}

bool SingleInstance::HandOver(const QStringList& files, const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(500)) return false;
    // One path a line, UTF-8, then the end of the stream.
    const std::string lines = ToUtf8(files.join('\n')) + '\n';
    socket.write(lines.data(), static_cast<qint64>(lines.size()));
    const bool sent = socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(2000);
    return sent;
}

SingleInstance::SingleInstance(std::function<void(const QStringList&)> open, const QString& name,
                               QObject* parent)
    : QObject(parent), m_open(std::move(open)) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name)) {
        QLocalServer::removeServer(name);  // left behind by a program that crashed
        m_server.listen(name);
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server.nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readChannelFinished, this, [this, s] {
                QStringList files;
                for (const QByteArray& line : s->readAll().split('\n'))
                    if (!line.isEmpty()) files << FromUtf8(std::string_view(line.constData(), line.size()));
                if (!files.isEmpty() && m_open) m_open(files);
            });
        }
    });
}

}  // namespace fl
