#include "workspace/ProjectWizard.h"

#include "base/FolderPaths.h"
#include "base/SettingsStore.h"
#include "workspace/WorkspaceRecord.h"

#include <algorithm>

QString ProjectWizard::workspaceFilePath(const QString &location, const QString &sourceName)
{
    const QString path = location + sourceName;
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? path.left(dot) : path;
    return stem + QLatin1String(".qvw");
}

QString ProjectWizard::replaceQuestion(const QString &workspaceFilePath)
{
    return QStringLiteral("The workspace file: %1, already exists, replace?").arg(workspaceFilePath);
}

QString ProjectWizard::checkPaths(const QString &location,
                                  const QString &sourceName,
                                  const QString &targetName,
                                  const ProjectWizardOptions &options)
{
    QStringList paths{location + sourceName,
                      location + targetName,
                      workspaceFilePath(location, sourceName)};
    for (const QString &name : copyList(options))
        paths << location + name;
    for (const QString &path : paths) {
        if (!RecordField::fitsField(path, WorkspaceRecord::PathFieldSize))
            return WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::TooLong, path);
    }
    return QString();
}

bool ProjectWizard::fillRecord(WorkspaceRecord &record,
                               const QString &location,
                               const QString &sourceName,
                               const QString &targetName,
                               ProjectKind kind,
                               const QString &linkerPath)
{
    record.clear();
    WorkspaceEntry main(location + sourceName);
    main.wasOpened = true;
    const bool ok = record.setTargetFile(location + targetName) == WorkspaceRecord::Change::Ok
                    && record.setMainFile(location + sourceName) == WorkspaceRecord::Change::Ok
                    && record.appendEntry(main) == WorkspaceRecord::Change::Ok
                    && record.setPostBuildCommands(linkCommand(kind, linkerPath, targetName))
                           == WorkspaceRecord::Change::Ok;
    if (!ok) {
        record.clear();
        return false;
    }
    record.setCanExecute(false);
    record.setOpen(true);
    return true;
}

QString ProjectWizard::linkCommand(ProjectKind kind,
                                   const QString &linkerPath,
                                   const QString &targetName)
{
    // Each line of the text is a command of its own: a name that breaks the line would run its
    // second half as one.
    const auto breaksLine = [](const QString &s) {
        return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
    };
    if (kind != ProjectKind::Exe || !targetName.endsWith(QLatin1String(".obj"), Qt::CaseInsensitive)
        || breaksLine(targetName)) {
        return QString();
    }
    const QString object = shellQuoted(targetName);
    if (!linkerPath.isEmpty() && !breaksLine(linkerPath)) {
        const QString line = shellQuoted(linkerPath) + QLatin1Char(' ') + object;
        if (RecordField::fitsField(line, WorkspaceRecord::PostBuildFieldSize))
            return line;
    }
    // Found through PATH, where the installed package puts it.
    return QStringLiteral("qvlink ") + object;
}

QString ProjectWizard::shellQuoted(const QString &word)
{
    // Double quotes read best; a word the shell would still expand in them gets single quotes,
    // each quote of its own closed, escaped and reopened.
    const QLatin1String expanded("\"$`\\!");
    const bool plain = std::none_of(word.cbegin(), word.cend(), [expanded](QChar c) {
        return expanded.contains(c);
    });
    if (plain)
        return QLatin1Char('"') + word + QLatin1Char('"');
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

AtomicFileWriter::CreateResult ProjectWizard::writeMainFile(const QString &path,
                                                            ProjectKind kind,
                                                            const ProjectWizardOptions &options,
                                                            QString *errorString)
{
    return AtomicFileWriter::createNew(path,
                                       SourceTemplates::projectSkeleton(kind, options).toUtf8(),
                                       errorString);
}

QStringList ProjectWizard::copyList(const ProjectWizardOptions &options)
{
    QStringList names;
    if (options.extendedIncludes)
        names << QStringLiteral("qvasme.inc");
    if (options.standardIncludes)
        names << QStringLiteral("qvasmc.inc");
    if (options.readme)
        names << QStringLiteral("readme.txt");
    return names;
}

QString ProjectWizard::copySource(const QString &includeFolder, const QString &name)
{
    return FolderPaths::join(includeFolder, name);
}

QString ProjectWizard::copyFailedMessage(const QString &destination)
{
    return QStringLiteral("Error: Couldn't create/open file: ") + destination;
}

bool ProjectWizard::addCopiedMember(WorkspaceRecord &record, const QString &path)
{
    WorkspaceEntry entry(path);
    entry.wasOpened = true;
    return record.appendEntry(entry) == WorkspaceRecord::Change::Ok;
}

bool ProjectWizard::finish(WorkspaceRecord &record,
                           const QString &workspaceFilePath,
                           SettingsStore &settings,
                           QString *errorString)
{
    bool saved = record.setWorkspaceFilePath(workspaceFilePath) == WorkspaceRecord::Change::Ok;
    if (!saved && errorString)
        *errorString = WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::TooLong,
                                                       workspaceFilePath);
    if (saved)
        saved = record.save(errorString);
    settings.writeString(QStringLiteral("Settings"), QStringLiteral("lastws"), workspaceFilePath);
    return saved;
}
