#include "make/BuildCommandRules.h"

BuildCommandRules::ResultRange BuildCommandRules::classify(int result)
{
    if (result == 0)
        return ResultRange::NoErrors;
    if (result >= 1 && result <= 255)
        return ResultRange::Reported;
    return ResultRange::Failed;
}

QString BuildCommandRules::returnCodeMessage(int result)
{
    return QString::asprintf("Return code: %04X", unsigned(result));
}

QString BuildCommandRules::assemblingBanner(const QString &sourcePath)
{
    return QStringLiteral("-=-=-=-=-=-=-=-=-= Assembling: ") + sourcePath
           + QStringLiteral(" -=-=-=-=-=-=-=-=-=\r\n ");
}

QString BuildCommandRules::buildingBanner(const QString &targetFile)
{
    return QStringLiteral("-=-=-=-=-=-=-=-=-= Building: ") + targetFile
           + QStringLiteral(" -=-=-=-=-=-=-=-=-=\r\n ");
}

QString BuildCommandRules::checkingBanner(const QString &sourcePath)
{
    return QStringLiteral("-=-=-=-=-=-=-=-=-= Checking: ") + sourcePath
           + QStringLiteral(" -=-=-=-=-=-=-=-=-=\r\n ");
}

QString BuildCommandRules::listingPath(const QString &sourcePath)
{
    return sourcePath.chopped(qMin<qsizetype>(3, sourcePath.size())) + QStringLiteral("lst");
}

bool BuildCommandRules::opensListingAfterAssemble(bool ctrlHeld,
                                                  bool workspaceOpen,
                                                  const AssemblerOptions &options)
{
    return ctrlHeld || (workspaceOpen && options.createListing && options.openListingFile);
}

bool BuildCommandRules::opensListingAfterBuild(bool ctrlHeld, const AssemblerOptions &options)
{
    return (options.createListing || ctrlHeld) && options.openListingFile;
}

bool BuildCommandRules::assembleEnabled(const QString &documentTitle, bool textEmpty)
{
    return !textEmpty && documentTitle.endsWith(QLatin1String(".asm"), Qt::CaseInsensitive);
}

std::optional<QString> BuildCommandRules::executableTarget(const QString &sourcePath)
{
    if (!sourcePath.endsWith(QLatin1String(".asm"), Qt::CaseInsensitive))
        return std::nullopt;
    return sourcePath.chopped(3) + QStringLiteral("com");
}

std::optional<QString> BuildCommandRules::assembledTarget(const QString &sourcePath,
                                                          bool programMade,
                                                          bool objectMade)
{
    std::optional<QString> program = executableTarget(sourcePath);
    if (program && objectMade && !programMade)
        return program->chopped(3) + QStringLiteral("obj");
    return program;
}

bool BuildCommandRules::canExecuteAfterAssemble(int result,
                                                bool workspaceOpen,
                                                const QString &sourcePath,
                                                std::optional<quint32> buildWindowTotalErrors)
{
    switch (classify(result)) {
    case ResultRange::NoErrors:
        return !workspaceOpen && executableTarget(sourcePath).has_value();
    case ResultRange::Reported:
        // Diagnostics alone still make a program, but only one Assemble can name as the target:
        // with a workspace open the target is the workspace's, which this run did not make.
        return !workspaceOpen && executableTarget(sourcePath).has_value()
               && buildWindowTotalErrors.has_value() && *buildWindowTotalErrors == 0;
    case ResultRange::Failed:
        break;
    }
    return false;
}

bool BuildCommandRules::canExecuteAfterBuild(int result,
                                             bool previous,
                                             std::optional<quint32> buildWindowTotalErrors)
{
    switch (classify(result)) {
    case ResultRange::NoErrors:
        return true;
    case ResultRange::Reported:
        return buildWindowTotalErrors.has_value() && *buildWindowTotalErrors == 0;
    case ResultRange::Failed:
        break;
    }
    return previous;
}

QString BuildCommandRules::pathNameErrorMessage(int n)
{
    return QStringLiteral("Error getting path name %1").arg(n);
}

QString BuildCommandRules::targetNotReplacedMessage(const QString &target, const QString &why)
{
    return QStringLiteral("Cannot build %1:\n%2.\nOnly a regular file can be replaced by the "
                          "program; choose another target.")
        .arg(target, why);
}

QString BuildCommandRules::saveChangesQuestion(const QString &path)
{
    return QStringLiteral("Save changes to: ") + path;
}
