#include "app/SingleInstance.h"

#include "app/AppInfo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

#include <unistd.h>

namespace {
constexpr int kConnectWaitMs = 1000;
constexpr int kWriteWaitMs = 2000;
// The message: this line, a 32-bit big-endian length, then the arguments in UTF-8, each ended by
// a NUL (no path holds one). Anything longer than a few file names is not ours.
const QByteArray kMagic = QByteArrayLiteral("qvasmide-activate-1\n");
constexpr quint32 kMaxPayload = 64 * 1024;

QByteArray encode(const QStringList &arguments)
{
    QByteArray payload;
    for (const QString &a : arguments)
        payload += a.toUtf8() + '\0';
    if (quint32(payload.size()) > kMaxPayload)
        payload.clear();
    QByteArray message = kMagic;
    const quint32 n = quint32(payload.size());
    message += char(n >> 24);
    message += char(n >> 16);
    message += char(n >> 8);
    message += char(n);
    return message + payload;
}

enum class Decoded { Incomplete, Complete, Invalid };

Decoded decode(const QByteArray &buffer, QStringList *arguments)
{
    const qsizetype header = kMagic.size() + 4;
    if (!kMagic.startsWith(buffer.left(kMagic.size())))
        return Decoded::Invalid;
    if (buffer.size() < header)
        return Decoded::Incomplete;
    const auto byte = [&buffer](qsizetype i) { return quint32(quint8(buffer.at(i))); };
    const qsizetype at = kMagic.size();
    const quint32 n = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    if (n > kMaxPayload || buffer.size() > header + qsizetype(n))
        return Decoded::Invalid;
    if (buffer.size() < header + qsizetype(n))
        return Decoded::Incomplete;
    const QByteArray payload = buffer.mid(header);
    if (!payload.isEmpty() && !payload.endsWith('\0'))
        return Decoded::Invalid;
    arguments->clear();
    for (const QByteArray &part : payload.split('\0').mid(0, payload.count('\0')))
        arguments->append(QString::fromUtf8(part));
    return Decoded::Complete;
}
} // namespace

QString SingleInstance::serverNameFor(const QString &settingsFilePath)
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(::getuid());
    user.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QByteArray digest
        = QCryptographicHash::hash(QFileInfo(settingsFilePath).absoluteFilePath().toUtf8(),
                                   QCryptographicHash::Sha1)
              .toHex()
              .left(12);
    const QString name = QStringLiteral("%1-%2-%3")
                             .arg(QLatin1String(AppInfo::WindowClassName),
                                  user,
                                  QString::fromLatin1(digest));
    // The user's runtime folder is private to them; without one, Qt's default (the temporary
    // folder) with the user in the name.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return name;
}

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOff(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    socket.write(encode(arguments));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kWriteWaitMs))
            break;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteWaitMs);
    return true;
}

bool SingleInstance::claim(const QStringList &arguments)
{
    m_server = new QLocalServer(this);
    // No access options: with them Qt renames its socket over an existing one, so a copy
    // starting at the same moment would take the name instead of finding the first. The
    // runtime folder is the user's own anyway.
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Either a copy that started at the same moment, or the leftover of one that crashed.
        if (handOff(arguments))
            return false;
        QLocalServer::removeServer(m_serverName);
        if (m_server->listen(m_serverName))
            return true;
    }
    // Not being able to listen must not stop the program; it just runs without the hand-off.
    qWarning("qvasmide: single-instance server %s: %s",
             qPrintable(m_serverName),
             qPrintable(m_server->errorString()));
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        const auto read = [this, socket, buffer] {
            buffer->append(socket->readAll());
            QStringList arguments;
            const Decoded result = decode(*buffer, &arguments);
            if (result == Decoded::Incomplete)
                return;
            // Done with the socket before anything acts on the message: opening the file may show
            // a message box, whose nested event loop would delete the socket under this handler.
            QLocalSocket *const done = socket; // the captures go with the connection
            disconnect(done, nullptr, this, nullptr);
            done->disconnectFromServer();
            if (result == Decoded::Complete) {
                QMetaObject::invokeMethod(
                    this,
                    [this, arguments] { emit activationRequested(arguments); },
                    Qt::QueuedConnection);
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            read();
    }
}
