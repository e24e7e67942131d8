#include "make/DumpTool.h"

#include "base/FolderPaths.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString DumpTool::toolsDir()
{
    return SettingsStore::instance().readString(Section, ToolsDirKey, DefaultToolsDir);
}

QString DumpTool::path(const QString &toolsDir, const QString &programFolder)
{
    const QString file = FolderPaths::join(toolsDir, QStringLiteral("dump"));
    if (QDir::isAbsolutePath(file) || programFolder.isEmpty())
        return file;
    return QDir::cleanPath(programFolder + QLatin1Char('/') + file);
}

bool DumpTool::launch(const QString &toolsDir, const QString &programFolder)
{
    const QString file = path(toolsDir, programFolder);
    if (!QFileInfo(file).isFile()) {
        showMessage(NotFoundMessage);
        return false;
    }
    QProcess::startDetached(file, {});
    return true;
}
