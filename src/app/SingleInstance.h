#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One running copy per user and settings store. A copy that starts while another runs hands
// its arguments to it (which comes to the front) and ends; the first copy listens for them.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The server name for the given settings file: the window class name, the user and a short
    // digest of the file's path (two stores, two independent copies).
    static QString serverNameFor(const QString &settingsFilePath);

    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    QString serverName() const { return m_serverName; }
    // Hands the arguments to a running copy; true when one took them (this copy should end).
    bool handOff(const QStringList &arguments);
    // Becomes the running copy. Returns false when another copy took over in between, in which
    // case the arguments went to it and this copy should end.
    bool claim(const QStringList &arguments);
    bool isListening() const;

signals:
    // Another copy started with these arguments. Emitted from the event loop once the connection
    // is done with, so a receiver may show a modal box.
    void activationRequested(const QStringList &arguments);

private:
    void onNewConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};
