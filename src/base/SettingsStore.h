#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;
class QTemporaryDir;

// The per-user store of sections holding named integer, string and binary values.
// Every read passes its own default, and an absent, unreadable or mistyped value yields that
// default; writes take effect at once. Stateless: each call opens the file through QSettings,
// which shares one cached copy per file inside the process.
class SettingsStore
{
public:
    // The store the program uses: the user's config folder unless setFilePath() chose another.
    static SettingsStore &instance();

    explicit SettingsStore(const QString &filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    QString filePath() const { return m_filePath; }
    static QString defaultFilePath();
    // Points instance() at another file (tests, or a portable install).
    static void setFilePath(const QString &filePath);

    int readInt(const QString &section, const QString &key, int defaultValue) const;
    QString readString(const QString &section,
                       const QString &key,
                       const QString &defaultValue = QString()) const;
    // A null QByteArray when the value is absent or not binary.
    QByteArray readBinary(const QString &section, const QString &key) const;
    bool contains(const QString &section, const QString &key) const;

    void writeInt(const QString &section, const QString &key, int value);
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeBinary(const QString &section, const QString &key, const QByteArray &value);
    void remove(const QString &section, const QString &key);

    // Removes every section and the file itself; true when nothing is left behind.
    bool removeAll();
    // Writes pending changes to disk now.
    void sync();

    // Why the file is not used (a named pipe, a device, a folder), or empty. Such a path is
    // neither read nor replaced; the values of this run are kept in a scratch file instead.
    QString refusedReason() const { return m_refusal; }
    // The sentence that tells the user so, or empty.
    QString refusalMessage() const;

private:
    QString m_filePath;
    QString m_refusal;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QSettings> m_settings;
};
