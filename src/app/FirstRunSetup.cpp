#include "app/FirstRunSetup.h"

#include "base/SettingsStore.h"
#include "options/WebAddresses.h"

#include <QDir>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kConfiguration = QStringLiteral("Configuration");
const QString kFindBar = QStringLiteral("FindBar");
} // namespace

bool FirstRunSetup::isInstalled(const SettingsStore &store)
{
    return store.readInt(kSettings, QStringLiteral("Installed"), 0) != 0;
}

QList<SettingValue> FirstRunSetup::defaults(const QString &programFolder)
{
    const auto s = [](const char *key, QVariant v) {
        return SettingValue{kSettings, QString::fromLatin1(key), v};
    };
    const auto f = [](const char *key, int v) {
        return SettingValue{kFindBar, QString::fromLatin1(key), v};
    };
    const QString toolsDir = programFolder + QLatin1String("/tools/");
    return {
        s("Installed", 1),
        s("empty", 0),
        s("loadws", 0),
        {kConfiguration, QStringLiteral("home_url"), QString::fromLatin1(WebAddresses::HomeUrl)},
        {kConfiguration, QStringLiteral("tools_dir"), QDir::cleanPath(toolsDir) + QLatin1Char('/')},
        s("tip_num", 0),
        s("tips", 1),
        s("tabstops", 2),
        s("tabstospaces", 1),
        f("Match Case", 0),
        f("Match Word", 0),
        f("Search Subs", 1),
        f("Expanded", 0),
        f("Close on Open", 0),
        s("colorcase_insensitive", 1),
        s("useformatting", 1),
        s("usememberpopup", 1),
        s("CRComment_indx", 15),
        s("CRComment_rgb", 0x1DC918),
        s("CRDirectives_indx", 15),
        s("CRDirectives_rgb", 0xFF0080),
        s("CRInstructions_indx", 15),
        s("CRInstructions_rgb", 0xFF0000),
        s("CRRegisters_indx", 15),
        s("CRRegisters_rgb", 0xFF00FF),
        s("CRStrings_indx", 9),
        s("CRStrings_rgb", 0x000088),
        s("CRSymbols_indx", 3),
        s("CRSymbols_rgb", 0x2A2AA6),
    };
}

void FirstRunSetup::writeDefaults(SettingsStore &store, const QString &programFolder)
{
    for (const SettingValue &v : defaults(programFolder)) {
        if (v.value.typeId() == QMetaType::QString)
            store.writeString(v.section, v.key, v.value.toString());
        else
            store.writeInt(v.section, v.key, v.value.toInt());
    }
    store.sync();
}

bool FirstRunSetup::run(SettingsStore &store,
                        const QString &programFolder,
                        const std::function<bool()> &askAccepted)
{
    if (isInstalled(store))
        return true;
    if (!askAccepted())
        return false;
    writeDefaults(store, programFolder);
    return true;
}
