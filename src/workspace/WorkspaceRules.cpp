#include "workspace/WorkspaceRules.h"

#include "base/SettingsStore.h"
#include "editor/DocumentNaming.h"
#include "workspace/SourceTemplates.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kLastWs = QStringLiteral("lastws");
} // namespace

bool WorkspaceRules::canOpenOrCreateWorkspace(const WorkspaceRecord &record)
{
    return !record.isOpen();
}

bool WorkspaceRules::canUseWorkspace(const WorkspaceRecord &record)
{
    return record.isOpen();
}

bool WorkspaceRules::canRemoveFile(const WorkspaceRecord &record)
{
    return record.isOpen() && record.entryCount() > 0;
}

FileDialogRequest WorkspaceRules::openWorkspaceRequest(const QString &folder)
{
    FileDialogRequest r;
    r.directory = folder;
    r.filter = Prompts::filterFromClassic(
        QStringLiteral("workspace (.qvw)|*.qvw|All Files (*.*)|*.*||"));
    r.defaultSuffix = QStringLiteral("qvw");
    return r;
}

QString WorkspaceRules::couldNotOpenMessage(const QString &path)
{
    return QStringLiteral("Could not open workspace file: ") + path;
}

QString WorkspaceRules::invalidWorkspaceMessage()
{
    return QStringLiteral("Invalid WorkSpace File");
}

std::optional<QString> WorkspaceRules::movedFileQuestion(const QString &openedPath,
                                                         const QString &storedPath)
{
    if (openedPath == storedPath)
        return std::nullopt;
    return QStringLiteral("Opened file %1 is not the same as stored file %2.\nUpdate?")
        .arg(openedPath, storedPath);
}

WorkspaceRecord::Change WorkspaceRules::adoptOpenedPath(WorkspaceRecord &record, const QString &path)
{
    return record.setWorkspaceFilePath(path);
}

QString WorkspaceRules::noMembersOpenedMessage()
{
    return QStringLiteral("No files found with the 'was opened' flag set.  Opening main file.");
}

QString WorkspaceRules::mainFileFailedMessage()
{
    return QStringLiteral("Could not open main file.  Closing Workspace.");
}

QString WorkspaceRules::membersNotOpenedMessage(const QList<OpenFailure> &failures)
{
    const qsizetype n = failures.size();
    QString text = n == 1 ? QStringLiteral("This file of the workspace could not be opened:\n")
                          : QStringLiteral("These %1 files of the workspace could not be opened:\n")
                                .arg(n);
    for (qsizetype i = 0; i < qMin<qsizetype>(n, MaxListedFailures); ++i) {
        const OpenFailure &f = failures.at(i);
        text += QLatin1Char('\n') + f.path;
        if (!f.reason.isEmpty())
            text += QStringLiteral(" (%1)").arg(f.reason);
    }
    if (n > MaxListedFailures)
        text += QStringLiteral("\n... and %1 more.").arg(n - MaxListedFailures);
    return text;
}

QString WorkspaceRules::closeAllWindowsQuestion()
{
    return QStringLiteral("Close all Windows in Workspace?");
}

QList<int> WorkspaceRules::documentsToClose(const QStringList &memberPaths,
                                            const QStringList &documentPaths)
{
    QList<int> order;
    QList<bool> closed(documentPaths.size(), false);
    for (qsizetype m = memberPaths.size() - 1; m >= 0; --m) {
        for (qsizetype d = 0; d < documentPaths.size(); ++d) {
            if (!closed.at(d) && documentPaths.at(d) == memberPaths.at(m)) {
                closed[d] = true;
                order << int(d);
                break;
            }
        }
    }
    return order;
}

QString WorkspaceRules::newMemberPath(const QString &location, const QString &name, FileKind kind)
{
    QString file = name;
    if (!file.contains(QLatin1Char('.')))
        file += kind == FileKind::Include ? QLatin1String(".inc") : QLatin1String(".asm");
    return location + file;
}

AtomicFileWriter::CreateResult WorkspaceRules::createMemberFile(const QString &path,
                                                                QString *errorString)
{
    return AtomicFileWriter::createNew(path, SourceTemplates::newFileHeader().toUtf8(), errorString);
}

WorkspaceRecord::Change WorkspaceRules::addMember(WorkspaceRecord &record, const QString &path)
{
    return record.appendEntry(WorkspaceEntry(path));
}

FileDialogRequest WorkspaceRules::insertFilesRequest(const QString &folder)
{
    FileDialogRequest r;
    r.directory = folder;
    r.filter = Prompts::filterFromClassic(
        QStringLiteral("Assembly (.asm)|*.asm|Include  (.inc)|*.inc|All Files (*.*)|*.*||"));
    r.multiple = true;
    return r;
}

QString WorkspaceRules::closeWindowQuestion()
{
    return QStringLiteral("Close Window?");
}

bool WorkspaceRules::treeItemOpensFromDisk(const QString &path)
{
    return !path.isEmpty() && (QDir::isAbsolutePath(path) || QFileInfo(path).isFile());
}

bool WorkspaceRules::keepsTreeItemOnClose(const WorkspaceRecord &record, const QString &pathOrTitle)
{
    return record.isOpen() && record.indexOfEntry(pathOrTitle, Qt::CaseInsensitive) >= 0;
}

bool WorkspaceRules::isWorkspaceFileName(const QString &path)
{
    return DocumentNaming::isWorkspaceFileName(path);
}

QString WorkspaceRules::lastWorkspace(const SettingsStore &settings)
{
    return settings.readString(kSettings, kLastWs, QString());
}

void WorkspaceRules::setLastWorkspace(SettingsStore &settings, const QString &path)
{
    settings.writeString(kSettings, kLastWs, path);
}

WorkspaceRules::RestoreStart WorkspaceRules::startRestore(WorkspaceRecord &record,
                                                          SettingsStore &settings,
                                                          QString *message)
{
    const QString path = lastWorkspace(settings);
    if (path.isEmpty())
        return RestoreStart::NothingToRestore;
    switch (record.load(path)) {
    case WorkspaceRecord::LoadResult::NotOpenable:
        if (message)
            *message = QStringLiteral("Could not open workspace file.");
        settings.writeInt(kSettings, QStringLiteral("loadws"), 0);
        return RestoreStart::NotOpenable;
    case WorkspaceRecord::LoadResult::NotAWorkspace:
        if (message)
            *message = invalidWorkspaceMessage();
        return RestoreStart::NotAWorkspace;
    case WorkspaceRecord::LoadResult::Opened:
        break;
    }
    return RestoreStart::Opened;
}

void WorkspaceRules::restoreFailedWithoutFiles(WorkspaceRecord &record, SettingsStore &settings)
{
    record.markClosed();
    setLastWorkspace(settings, QString());
}
