#include "options/WebAddresses.h"

#include "base/SettingsStore.h"

QString WebAddresses::homeUrl(const SettingsStore &store)
{
    return store.readString(QStringLiteral("Configuration"), QStringLiteral("home_url"));
}

QUrl WebAddresses::page(const QString &home, const QString &page)
{
    return QUrl(home + page, QUrl::TolerantMode);
}

QUrl WebAddresses::aboutPage()
{
    return page(QLatin1String(HomeUrl), QLatin1String(AboutPage));
}

QUrl WebAddresses::onlineHelp()
{
    return page(QLatin1String(HomeUrl), QLatin1String(OnlineHelpPage));
}

QUrl WebAddresses::newsletter()
{
    return QUrl(QStringLiteral("mailto:") + QLatin1String(NewsletterAddress));
}
