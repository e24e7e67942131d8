#include "app/ui/SingleInstance.h"

#include "base/AppInfo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <memory>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kConnectWaitMs = 1000;
constexpr int kReplyWaitMs = 2000;
// The listener greets a peer of its own user with this line; only then does the other copy
// send its message, and it ends only on the listener's reply.
const QByteArray kGreeting = QByteArrayLiteral("qvasmide-listening-2\n");
const QByteArray kTaken = QByteArrayLiteral("taken\n");
// The message: this line, a 32-bit big-endian length, then the arguments in UTF-8, each ended by
// a NUL (no path holds one). Anything longer than a few file names is not ours.
const QByteArray kMagic = QByteArrayLiteral("qvasmide-activate-2\n");
constexpr quint32 kMaxPayload = 64 * 1024;

// Whether the process at the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr descriptor)
{
    if (descriptor < 0)
        return false;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0
        || size != sizeof credentials) {
        return false;
    }
    return credentials.uid == ::geteuid();
}

// Reads from the socket until it has sent exactly `expected`, running the event loop meanwhile.
// False on anything else, on its end, or after waitMs.
bool receive(QLocalSocket &socket, const QByteArray &expected, int waitMs)
{
    QByteArray got;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool matched = false;
    const auto read = [&] {
        got += socket.read(expected.size() - got.size());
        if (!expected.startsWith(got)) {
            loop.quit();
        } else if (got.size() == expected.size()) {
            matched = true;
            loop.quit();
        }
    };
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, read);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (socket.bytesAvailable() > 0)
        read();
    if (!matched && expected.startsWith(got) && socket.state() == QLocalSocket::ConnectedState) {
        deadline.start(waitMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QObject::disconnect(&socket, nullptr, &loop, nullptr);
    return matched;
}

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
    // Never a shared folder such as /tmp: another user could take the name first, and be
    // handed the files this user opens.
    const QString folder = socketFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

QString SingleInstance::socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache))
        cache = QDir::home().filePath(QStringLiteral(".cache"));
    if (!QDir().mkpath(cache))
        return QString();
    const QString folder = QDir(cache).filePath(QStringLiteral("qvasmide"));
    // Made private from the start; one that was there already is used only when it is private.
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return isPrivateFolder(folder) ? folder : QString();
}

bool SingleInstance::isPrivateFolder(const QString &path)
{
    struct stat info
    {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOff(const QStringList &arguments)
{
    if (m_serverName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    // Nothing goes to a peer that is not a copy of this program run by this user.
    if (!peerIsThisUser(socket.socketDescriptor()) || !receive(socket, kGreeting, kReplyWaitMs))
        return false;
    socket.write(encode(arguments));
    // Ending is right only once the other copy has the arguments.
    const bool taken = receive(socket, kTaken, kReplyWaitMs);
    socket.abort();
    return taken;
}

bool SingleInstance::claim(const QStringList &arguments)
{
    if (m_serverName.isEmpty()) {
        qWarning("qvasmide: no private folder for the single-instance socket; running alone");
        return true;
    }
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
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            emit foreignPeerRefused();
            continue;
        }
        socket->write(kGreeting);
        auto buffer = std::make_shared<QByteArray>();
        const auto read = [this, socket, buffer] {
            buffer->append(socket->readAll());
            QStringList arguments;
            const Decoded result = decode(*buffer, &arguments);
            if (result == Decoded::Incomplete)
                return;
            // Done with the socket before anything acts on the message: opening the file may show
            // a message box, whose nested event loop would delete the socket under this handler.
            // The arguments are acted on once the reply has gone and the connection is closed.
            QLocalSocket *const done = socket; // the captures go with the connection
            disconnect(done, nullptr, this, nullptr);
            if (result == Decoded::Complete) {
                done->write(kTaken);
                auto once = std::make_shared<bool>(false);
                const auto activate = [this, arguments, once] {
                    if (std::exchange(*once, true))
                        return;
                    QMetaObject::invokeMethod(
                        this,
                        [this, arguments] { emit activationRequested(arguments); },
                        Qt::QueuedConnection);
                };
                connect(done, &QLocalSocket::disconnected, this, activate);
                connect(done, &QObject::destroyed, this, activate);
            }
            done->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}
