#pragma once

#include <QString>

class SettingsStore;

// Special > Configuration Options: the home URL the web links and the version check use, and the
// folder the dump tool lives in (section Configuration).
struct ConfigurationOptions
{
    QString homeUrl;
    QString toolsDir;

    // home_url (default: the project's site) and tools_dir (default: the program folder's tools/).
    static ConfigurationOptions load(const SettingsStore &store, const QString &programFolder);
    // Both values as OK stores them (the rules below).
    void save(SettingsStore &store) const;

    // Pages are appended to the URL directly, so it must end in "/"; an empty one becomes "/".
    static QString withTrailingSlash(const QString &url);
    // The dump tool's name is appended directly too; an empty folder stays empty.
    static QString withTrailingSeparator(const QString &folder);
};
