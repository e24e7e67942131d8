#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One running copy per user and settings store. A copy that starts while another runs hands
// its arguments to it (which comes to the front) and ends; the first copy listens for them.
// The socket lives in a folder only this user can reach, and both ends check who is at the
// other: the first copy greets only a peer of its own user, and the second sends its arguments
// only to a peer of its own user that greeted it, and ends only once that peer has taken them.
// Anything else at the name is not a running copy: the second starts as the first would.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The server name for the given settings file: the window class name, the user and a short
    // digest of the file's path (two stores, two independent copies), in socketFolder(). Empty
    // when there is no such folder: the program then runs without the hand-over.
    static QString serverNameFor(const QString &settingsFilePath);
    // $XDG_RUNTIME_DIR when it is private to this user, else $XDG_CACHE_HOME/qvasmide
    // (~/.cache/qvasmide), made with mode 0700 when missing and used only when private; empty
    // when neither is.
    static QString socketFolder();
    // A folder (not a link to one) owned by this user that nobody else may enter, read or write.
    static bool isPrivateFolder(const QString &path);

    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    QString serverName() const { return m_serverName; }
    // Hands the arguments to a running copy; true when one took them (this copy should end).
    // Runs the event loop while it waits for the other end (briefly), so a listener in this same
    // program answers too.
    bool handOff(const QStringList &arguments);
    // Becomes the running copy. Returns false when another copy took over in between, in which
    // case the arguments went to it and this copy should end.
    bool claim(const QStringList &arguments);
    bool isListening() const;

signals:
    // Another copy started with these arguments. Emitted from the event loop once the connection
    // is done with, so a receiver may show a modal box.
    void activationRequested(const QStringList &arguments);
    // A connection from another user was closed unread.
    void foreignPeerRefused();

private:
    void onNewConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};
