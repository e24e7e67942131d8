#include "workspace/CreateNewRules.h"

#include "base/FolderPaths.h"

#include <QDir>
#include <QFileInfo>

bool CreateNewRules::isValidFileName(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
                        || u == '_' || u == '.';
        if (!ok)
            return false;
    }
    return true;
}

QStringList CreateNewRules::listItems(Mode mode, const QStringList &entryPaths)
{
    switch (mode) {
    case Mode::File:
        return {QStringLiteral("New .ASM file"), QStringLiteral("New .INC file")};
    case Mode::Project:
        return {QStringLiteral("New .COM project"), QStringLiteral("New .EXE project")};
    case Mode::List:
        return entryPaths;
    }
    return {};
}

QStringList CreateNewRules::newDocumentKinds()
{
    return {QStringLiteral("New .asm file"),
            QStringLiteral("New .inc file"),
            QStringLiteral("New .txt file"),
            QStringLiteral("other file type")};
}

QString CreateNewRules::baseFolder(Mode mode, const QString &mainFile, const QString &currentFolder)
{
    if (mode == Mode::File && !mainFile.isEmpty()) {
        const QString folder = QFileInfo(QDir(currentFolder).absoluteFilePath(mainFile))
                                   .absolutePath();
        if (!folder.isEmpty())
            return FolderPaths::withSlash(folder);
    }
    return FolderPaths::withSlash(currentFolder);
}

QString CreateNewRules::cutName(const QString &sourceName)
{
    // Only a name whose first "." comes after its first character is cut.
    const qsizetype dot = sourceName.indexOf(QLatin1Char('.'));
    return dot > 0 ? sourceName.left(dot) : sourceName;
}

CreateNewRules::NameStep CreateNewRules::nameStep(const QString &sourceName,
                                                  const QString &baseFolder,
                                                  bool locationTouched,
                                                  bool followName)
{
    NameStep step;
    const QString cut = cutName(sourceName);
    step.okEnabled = !cut.isEmpty();
    if (!locationTouched && followName) {
        step.replaceLocation = true;
        step.location = FolderPaths::withSlash(baseFolder) + cut;
    }
    return step;
}

CreateNewRules::Outcome CreateNewRules::accept(const Input &in)
{
    Outcome out;
    out.chosenIndex = in.chosenIndex;
    out.sourceName = in.sourceName;
    out.targetName = in.targetName;

    if (in.mode != Mode::List && !out.sourceName.contains(QLatin1Char('.'))) {
        const bool include = in.mode == Mode::File && in.chosenIndex == 1;
        out.sourceName += include ? QLatin1String(".inc") : QLatin1String(".asm");
    }
    if (out.targetName.isEmpty()) {
        const qsizetype dot = out.sourceName.lastIndexOf(QLatin1Char('.'));
        out.targetName = dot >= 0 ? out.sourceName.left(dot) : out.sourceName;
        if (in.chosenIndex == 0)
            out.targetName += QLatin1String(".com");
        else if (in.chosenIndex == 1)
            out.targetName += QLatin1String(".obj");
    }
    if (in.mode != Mode::List) {
        if (!isValidFileName(out.sourceName)) {
            out.action = Outcome::Action::InvalidSource;
            out.message = illegalSourceNameMessage();
            return out;
        }
        if (!isValidFileName(out.targetName)) {
            out.action = Outcome::Action::InvalidTarget;
            out.message = illegalTargetNameMessage();
            return out;
        }
    }

    // Locations are made absolute: members are stored and compared by full path, and a relative
    // one would never match the open documents.
    const QString typed = in.location.isEmpty() ? QStringLiteral(".") : in.location;
    QString folder = QDir::cleanPath(QDir(in.currentFolder).absoluteFilePath(typed));
    if (!QFileInfo::exists(folder)) {
        out.action = Outcome::Action::AskCreateFolder;
        out.message = createFolderQuestion();
        out.folderToCreate = folder;
    }
    out.location = FolderPaths::withSlash(folder);
    if (in.mode == Mode::List)
        out.sourceName = in.chosenItemText;
    return out;
}

bool CreateNewRules::createFolder(const QString &folder)
{
    return QDir().mkpath(folder);
}

QString CreateNewRules::illegalSourceNameMessage()
{
    return QStringLiteral("Filename contains illegal characters1.");
}

QString CreateNewRules::illegalTargetNameMessage()
{
    return QStringLiteral("Filename contains illegal characters0.");
}

QString CreateNewRules::createFolderQuestion()
{
    return QStringLiteral("Location path does not exist, create?");
}
