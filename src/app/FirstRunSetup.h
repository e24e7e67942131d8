#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class SettingsStore;

struct SettingValue
{
    QString section;
    QString key;
    QVariant value; // int or QString
};

// The first start: the notice must be accepted before anything is written, and then the
// defaults go into the settings store in their fixed order.
namespace FirstRunSetup {
// Settings/Installed reads non-zero.
bool isInstalled(const SettingsStore &store);
// The first-run values in the order they are written, Installed first.
QList<SettingValue> defaults(const QString &programFolder);
void writeDefaults(SettingsStore &store, const QString &programFolder);
// Asks (through askAccepted) only when not installed yet. Returns false when the notice was
// declined, in which case nothing has been written; true when start-up may go on.
bool run(SettingsStore &store,
         const QString &programFolder,
         const std::function<bool()> &askAccepted);
} // namespace FirstRunSetup
