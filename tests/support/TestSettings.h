#pragma once

#include "base/SettingsStore.h"

#include <QTemporaryDir>

// Points the program's settings store at a fresh file in a temporary folder for as long as it
// lives; every test that touches settings holds one.
class TestSettings
{
public:
    TestSettings() { SettingsStore::setFilePath(m_dir.filePath(QStringLiteral("qvasmide.ini"))); }
    ~TestSettings() { SettingsStore::setFilePath(m_dir.filePath(QStringLiteral("gone.ini"))); }

    SettingsStore &store() { return SettingsStore::instance(); }
    QString filePath() const { return m_dir.filePath(QStringLiteral("qvasmide.ini")); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
