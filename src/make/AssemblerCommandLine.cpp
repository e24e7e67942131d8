#include "make/AssemblerCommandLine.h"

#include <QFileInfo>

ToolRequest AssemblerCommandLine::request(const AssemblerRun &run, const ToolPaths &paths)
{
    const bool listing = run.command != AssemblerRun::CheckSyntax && run.forceListing;
    const QStringList sw = switches(run.options, run.workspaceOpen, paths.libraryPath, listing);
    QStringList arguments;
    switch (run.command) {
    case AssemblerRun::CheckSyntax:
        arguments = checkSyntaxArguments(run.sourcePath, sw);
        break;
    case AssemblerRun::Assemble:
        arguments = assembleArguments(run.sourcePath, sw);
        break;
    case AssemblerRun::Build:
        arguments = buildArguments(run.sourcePath, run.targetFile, sw);
        break;
    }
    return ToolRequest::assembler(paths.assembler,
                                  arguments,
                                  QFileInfo(run.sourcePath).absolutePath(),
                                  run.workspaceOpen ? run.options.postBuild : QString());
}

QStringList AssemblerCommandLine::switches(const AssemblerOptions &options,
                                           bool workspaceOpen,
                                           const QString &libraryPath,
                                           bool forceListing)
{
    QStringList out;
    if (workspaceOpen) {
        if (options.alphabetizeSegments)
            out << QStringLiteral("/a");
        if (options.beepIfError)
            out << QStringLiteral("/b");
        if (options.validateBootSector)
            out << (options.bootDriveB ? QStringLiteral("/wb") : QStringLiteral("/wa"));
        if (options.noDiagnostics)
            out << QStringLiteral("/d");
        if (options.useIncludePath)
            out << QStringLiteral("/i{") + options.includePath + QLatin1Char('}');
    }
    // The library folder is a user setting, not a workspace one, so it applies to every run.
    if (!libraryPath.isEmpty())
        out << QStringLiteral("/L{") + libraryPath + QLatin1Char('}');
    if (workspaceOpen && options.useJumps)
        out << QStringLiteral("/j");
    // Without a workspace a forced listing still reads the page-break flag the options hold.
    if (forceListing || (workspaceOpen && options.createListing))
        out << (options.listingPageBreaks ? QStringLiteral("/X") : QStringLiteral("/x"));
    if (workspaceOpen && options.useOptimizer)
        out << QStringLiteral("/o");
    return out;
}

QString AssemblerCommandLine::appendAssemblerSwitches(const QString &optionString,
                                                      const AssemblerOptions &options,
                                                      bool workspaceOpen,
                                                      const QString &libraryPath,
                                                      bool forceListing)
{
    QString out = optionString;
    for (const QString &s : switches(options, workspaceOpen, libraryPath, forceListing))
        out += QLatin1Char(' ') + s;
    return out;
}

QStringList AssemblerCommandLine::checkSyntaxArguments(const QString &sourcePath,
                                                       const QStringList &switches)
{
    return QStringList{sourcePath, QStringLiteral("/s")} + switches;
}

QStringList AssemblerCommandLine::assembleArguments(const QString &sourcePath,
                                                    const QStringList &switches)
{
    return QStringList{sourcePath} + switches;
}

QStringList AssemblerCommandLine::buildArguments(const QString &mainFile,
                                                 const QString &targetFile,
                                                 const QStringList &switches)
{
    QStringList out{mainFile};
    // An empty target would reach the tool as an empty argument; without it the tool names the
    // target after the source.
    if (!targetFile.isEmpty())
        out << targetFile;
    return out + switches;
}
