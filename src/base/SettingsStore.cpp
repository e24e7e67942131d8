#include "base/SettingsStore.h"

#include "base/AppInfo.h"
#include "base/RegularFile.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace {

std::unique_ptr<SettingsStore> &globalStore()
{
    static std::unique_ptr<SettingsStore> store;
    return store;
}

QString keyPath(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

SettingsStore &SettingsStore::instance()
{
    auto &store = globalStore();
    if (!store)
        store = std::make_unique<SettingsStore>(defaultFilePath());
    return *store;
}

SettingsStore::SettingsStore(const QString &filePath)
    : m_filePath(filePath)
    , m_refusal(RegularFile::notRegularText(filePath))
{
    // QSettings opens its file blind: a named pipe would block it for ever, a device never ends,
    // and its save would put a regular file in the place of either.
    QString usable = filePath;
    if (!m_refusal.isEmpty()) {
        m_scratch = std::make_unique<QTemporaryDir>();
        usable = m_scratch->filePath(QStringLiteral("settings.ini"));
    }
    m_settings = std::make_unique<QSettings>(usable, QSettings::IniFormat);
}

QString SettingsStore::refusalMessage() const
{
    if (m_refusal.isEmpty())
        return QString();
    return QStringLiteral("The settings file %1 is not used (%2): the settings of this session "
                          "will not be kept.")
        .arg(m_filePath, m_refusal);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultFilePath()
{
    // Same place QSettings' own user scope would use, fixed here so tools and tests can find it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1Char('/') + QLatin1String(AppInfo::OrganizationName) + QLatin1Char('/')
           + QLatin1String(AppInfo::ApplicationName) + QLatin1String(".ini");
}

void SettingsStore::setFilePath(const QString &filePath)
{
    globalStore() = std::make_unique<SettingsStore>(filePath);
}

int SettingsStore::readInt(const QString &section, const QString &key, int defaultValue) const
{
    QSettings &s = *m_settings;
    const QVariant v = s.value(keyPath(section, key));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return defaultValue;
    // Stored values are unsigned 32-bit; accept both spellings, reject anything else. Decimal,
    // or hexadecimal after 0x: a leading zero is no octal prefix ("09" is nine).
    bool ok = false;
    const QString text = v.toString().trimmed();
    qlonglong n = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        // Anything past 32 bits is refused below; clamping keeps it from wrapping first.
        n = qlonglong(qMin(text.mid(2).toULongLong(&ok, 16), qulonglong(UINT_MAX) + 1));
    } else {
        n = text.toLongLong(&ok, 10);
    }
    if (!ok || n < INT_MIN || n > qlonglong(UINT_MAX))
        return defaultValue;
    return int(quint32(n));
}

QString SettingsStore::readString(const QString &section,
                                  const QString &key,
                                  const QString &defaultValue) const
{
    QSettings &s = *m_settings;
    const QVariant v = s.value(keyPath(section, key));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return defaultValue;
    if (v.typeId() == QMetaType::QStringList) // an unquoted value with commas
        return v.toStringList().join(QLatin1String(", "));
    if (!v.canConvert<QString>())
        return defaultValue;
    return v.toString();
}

QByteArray SettingsStore::readBinary(const QString &section, const QString &key) const
{
    QSettings &s = *m_settings;
    const QVariant v = s.value(keyPath(section, key));
    if (v.typeId() != QMetaType::QByteArray)
        return QByteArray();
    return v.toByteArray();
}

bool SettingsStore::contains(const QString &section, const QString &key) const
{
    QSettings &s = *m_settings;
    return s.contains(keyPath(section, key));
}

void SettingsStore::writeInt(const QString &section, const QString &key, int value)
{
    QSettings &s = *m_settings;
    s.setValue(keyPath(section, key), value);
}

void SettingsStore::writeString(const QString &section, const QString &key, const QString &value)
{
    QSettings &s = *m_settings;
    s.setValue(keyPath(section, key), value);
}

void SettingsStore::writeBinary(const QString &section, const QString &key, const QByteArray &value)
{
    QSettings &s = *m_settings;
    s.setValue(keyPath(section, key), value);
}

void SettingsStore::remove(const QString &section, const QString &key)
{
    QSettings &s = *m_settings;
    s.remove(keyPath(section, key));
}

bool SettingsStore::removeAll()
{
    m_settings->clear();
    m_settings->sync();
    if (!m_refusal.isEmpty())
        return false; // what is at the path is not ours to remove
    return !QFile::exists(m_filePath) || QFile::remove(m_filePath);
}

void SettingsStore::sync()
{
    m_settings->sync();
}
