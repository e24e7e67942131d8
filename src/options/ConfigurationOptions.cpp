#include "options/ConfigurationOptions.h"

#include "base/SettingsStore.h"
#include "options/WebAddresses.h"

namespace {
const QString kSection = QStringLiteral("Configuration");
const QString kHomeUrl = QStringLiteral("home_url");
const QString kToolsDir = QStringLiteral("tools_dir");
const QChar kSeparator = QLatin1Char('/');
} // namespace

ConfigurationOptions ConfigurationOptions::load(const SettingsStore &store,
                                                const QString &programFolder)
{
    QString folder = programFolder;
    while (folder.size() > 1 && folder.endsWith(kSeparator))
        folder.chop(1);
    ConfigurationOptions options;
    options.homeUrl = store.readString(kSection, kHomeUrl, QLatin1String(WebAddresses::HomeUrl));
    options.toolsDir = store.readString(kSection,
                                        kToolsDir,
                                        folder + kSeparator + QStringLiteral("tools") + kSeparator);
    return options;
}

void ConfigurationOptions::save(SettingsStore &store) const
{
    store.writeString(kSection, kHomeUrl, withTrailingSlash(homeUrl));
    store.writeString(kSection, kToolsDir, withTrailingSeparator(toolsDir));
}

QString ConfigurationOptions::withTrailingSlash(const QString &url)
{
    return url.endsWith(QLatin1Char('/')) ? url : url + QLatin1Char('/');
}

QString ConfigurationOptions::withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(kSeparator))
        return folder;
    return folder + kSeparator;
}
