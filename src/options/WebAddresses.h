#pragma once

#include <QString>
#include <QUrl>

class SettingsStore;

// Every address the program sends the user to, in one place. The site is the project's own; the
// web-link commands find their pages under Configuration/home_url (which the user may point
// elsewhere), while Online Help, the about box's page and the newsletter stay fixed here.
namespace WebAddresses {
// Root of the site, ending in "/": the first-run and default value of Configuration/home_url.
inline constexpr char HomeUrl[] = "https://qvasmide.org/";
// What the about box's web button shows; it opens HomeUrl + AboutPage.
inline constexpr char SiteName[] = "qvasmide.org";
inline constexpr char AboutPage[] = "quillvane.htm";
inline constexpr char OnlineHelpPage[] = "qvasmide/qvasmide_help.htm";
inline constexpr char NewsletterAddress[] = "news-subscribe@qvasmide.org";

// Pages under home_url, appended to it directly.
inline constexpr char IndexPage[] = "index.htm";
inline constexpr char NewsPage[] = "quillvane.htm";
inline constexpr char DownloadPage[] = "quillvane.htm";
inline constexpr char VersionFile[] = "docs/versions.txt";

// Configuration/home_url as the web-link commands read it: empty when absent, so a page name
// alone is opened then.
QString homeUrl(const SettingsStore &store);
// home + page, no separator added.
QUrl page(const QString &home, const QString &page);
QUrl aboutPage();
QUrl onlineHelp();
QUrl newsletter();
} // namespace WebAddresses
