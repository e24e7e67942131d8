#include "editor/DocumentNaming.h"

#include <QDir>
#include <QFileInfo>

FileKind DocumentNaming::fileKind(const QString &pathOrTitle)
{
    if (pathOrTitle.endsWith(QLatin1String(".asm"), Qt::CaseSensitive))
        return FileKind::Source;
    if (pathOrTitle.endsWith(QLatin1String(".inc"), Qt::CaseSensitive))
        return FileKind::Include;
    return FileKind::Other;
}

DocumentNaming::NewDocumentPlan DocumentNaming::planNewDocument(int requestedKind,
                                                                bool windowActive,
                                                                bool leftShiftDown,
                                                                bool leftCtrlDown)
{
    NewDocumentPlan plan;
    if (requestedKind != -1)
        plan.choice = choiceFromDialog(requestedKind);
    else if (!windowActive)
        plan.insertTemplate = true;
    else if (leftShiftDown)
        plan.choice = AsmChoice;
    else if (leftCtrlDown)
        plan.choice = IncChoice;
    else
        plan.askUser = true;
    return plan;
}

int DocumentNaming::choiceFromDialog(int index)
{
    return index >= AsmChoice && index <= OtherChoice ? index : OtherChoice;
}

QString DocumentNaming::untitledExtension(int choice)
{
    switch (choiceFromDialog(choice)) {
    case AsmChoice:
        return QStringLiteral("asm");
    case IncChoice:
        return QStringLiteral("inc");
    case TxtChoice:
        return QStringLiteral("txt");
    default:
        return QStringLiteral("other");
    }
}

QString DocumentNaming::untitledTitle(int number, int choice)
{
    return QStringLiteral("untitled%1.%2").arg(number).arg(untitledExtension(choice));
}

QString DocumentNaming::caption(const QString &pathOrTitle, bool modified)
{
    return modified ? pathOrTitle + QLatin1Char('*') : pathOrTitle;
}

QString DocumentNaming::saveChangesQuestion(const QString &pathOrTitle)
{
    return QStringLiteral("Save changes to: ") + pathOrTitle;
}

QString DocumentNaming::saveAsClassicFilter()
{
    return QStringLiteral("Asm files (.asm)|*.asm|Inc files (.inc)|*.inc|All Files (*.*)|*.*||");
}

FileDialogRequest DocumentNaming::saveAsRequest(const QString &folder)
{
    FileDialogRequest r;
    r.directory = QDir(folder).filePath(QStringLiteral("asmfile1"));
    r.filter = Prompts::filterFromClassic(saveAsClassicFilter());
    r.defaultSuffix = QStringLiteral("asm");
    return r;
}

QString DocumentNaming::dialogFolder(const QString &activeDocumentPath,
                                     const QString &workspaceFilePath)
{
    for (const QString &path : {activeDocumentPath, workspaceFilePath}) {
        if (!path.isEmpty())
            return QFileInfo(path).absolutePath();
    }
    return QDir::currentPath();
}

bool DocumentNaming::isWorkspaceFileName(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot).toLower() == QLatin1String(".qvw");
}
