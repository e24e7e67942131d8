#pragma once

#include <QLatin1Char>
#include <QString>

// Folder settings are stored with their final separator, but a folder typed or picked without
// one must still name that folder, never a sibling file ("/usr/include" + "x.inc").
namespace FolderPaths {

inline QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// name inside folder; with no folder, name alone (relative to whoever resolves it).
inline QString join(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : withSlash(folder) + name;
}

} // namespace FolderPaths
