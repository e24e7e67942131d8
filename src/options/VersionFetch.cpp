#include "options/VersionFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

VersionFetch::VersionFetch(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_reply)
            return;
        m_abortCode = TimedOut;
        m_reply->abort();
    });
}

VersionFetch::~VersionFetch()
{
    cancel();
}

void VersionFetch::start(const QUrl &url)
{
    cancel();
    m_data.clear();
    m_abortCode = 0;

    QNetworkRequest request(url);
    // Always the file as the server has it now.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    reply->setReadBufferSize(16 * 1024);
    connect(reply, &QIODevice::readyRead, this, [this, reply] {
        if (reply == m_reply)
            readAvailable();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            done();
        reply->deleteLater();
    });
    m_deadline.start(m_timeoutMs);
}

void VersionFetch::cancel()
{
    m_deadline.stop();
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
    }
}

void VersionFetch::readAvailable()
{
    const QByteArray chunk = m_reply->read(m_sizeLimit + 1 - m_data.size());
    m_data += chunk;
    if (m_data.size() > m_sizeLimit) {
        m_abortCode = TooLarge;
        m_reply->abort();
    }
}

void VersionFetch::done()
{
    QNetworkReply *reply = m_reply;
    m_deadline.stop();
    if (!m_abortCode && reply->error() == QNetworkReply::NoError)
        readAvailable();

    Result result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (m_abortCode) {
        result.errorCode = m_abortCode;
    } else if (status.isValid() && status.toInt() >= 400) {
        result.errorCode = quint32(status.toInt());
    } else if (reply->error() != QNetworkReply::NoError) {
        result.errorCode = quint32(reply->error());
    } else {
        result.ok = true;
        result.data = m_data;
    }
    m_reply = nullptr;
    m_data.clear();
    emit finished(result);
}

QString VersionFetch::failureMessage(quint32 code)
{
    return QStringLiteral("Could not establish a connection: 0x%1")
        .arg(QString::number(code, 16).toUpper().rightJustified(8, QLatin1Char('0')));
}
