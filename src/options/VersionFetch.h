#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
#include <QNetworkReply>

// Fetches the version file, asynchronously: one GET past every cache (a file:// address works
// too), bounded in time and in size, so a server that never answers or sends without end can't
// hold the dialog. finished() comes once per start(), on the event loop.
class VersionFetch : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeoutMs = 10000;
    static constexpr qint64 DefaultSizeLimit = 64 * 1024;

    // Error codes besides the transport's own (QNetworkReply::NetworkError values) and HTTP
    // statuses (400 and up): the time ran out, or the file was larger than the limit.
    static constexpr quint32 TimedOut = 4;   // QNetworkReply::TimeoutError
    static constexpr quint32 TooLarge = 299; // QNetworkReply::UnknownContentError

    struct Result
    {
        bool ok = false;
        quint32 errorCode = 0;
        QByteArray data;
    };

    explicit VersionFetch(QObject *parent = nullptr);
    ~VersionFetch() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }

    // A fetch already running is dropped first (no finished() for it).
    void start(const QUrl &url);
    void cancel();
    bool isRunning() const { return m_reply != nullptr; }

    static QString failureMessage(quint32 code);

signals:
    void finished(const VersionFetch::Result &result);

private:
    void readAvailable();
    void done();

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_data;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_sizeLimit = DefaultSizeLimit;
    quint32 m_abortCode = 0; // set when this side ended the transfer
};

Q_DECLARE_METATYPE(VersionFetch::Result)
