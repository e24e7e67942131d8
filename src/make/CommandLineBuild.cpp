#include "make/CommandLineBuild.h"

#include "base/RegularFile.h"
#include "make/BuildCommandRules.h"
#include "make/PostBuildRun.h"
#include "make/ToolRunner.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

QByteArray text(const QString &s)
{
    return s.toLocal8Bit();
}

// The pane's fixed texts end in "\r\n " for its append rule; a terminal wants a plain line.
QString bannerLine(const QString &banner)
{
    QString line = banner;
    if (line.endsWith(QLatin1String("\r\n ")))
        line.chop(3);
    return line + QLatin1Char('\n');
}

} // namespace

CommandLineBuild::CommandLineBuild(Writer out, Writer err)
    : m_out(std::move(out))
    , m_err(std::move(err))
{}

int CommandLineBuild::refuse(const QString &message)
{
    if (m_err)
        m_err(text(QStringLiteral("qvasmide: ") + message + QLatin1Char('\n')));
    return NotRun;
}

int CommandLineBuild::run(AssemblerRun::Command command, const QString &file, const ToolPaths &paths)
{
    if (file.isEmpty())
        return refuse(QStringLiteral("no file given"));
    const QFileInfo given(file);
    QFile probe;
    QString why;
    if (!RegularFile::openForReading(probe, given.absoluteFilePath(), &why))
        return refuse(QStringLiteral("cannot read %1: %2").arg(file, why));
    probe.close();

    AssemblerRun run;
    run.command = command;
    if (command != AssemblerRun::Build) {
        run.sourcePath = given.absoluteFilePath();
        // The IDE offers these commands only for a source with text, and Assemble only for an
        // .asm file (it names the program after it).
        if (given.size() == 0)
            return refuse(QStringLiteral("%1 is empty").arg(file));
        if (command == AssemblerRun::Assemble
            && !BuildCommandRules::assembleEnabled(given.fileName(), false)) {
            return refuse(QStringLiteral("%1 is not an .asm source").arg(file));
        }
        return runTool(run,
                       paths,
                       command == AssemblerRun::Assemble
                           ? BuildCommandRules::assemblingBanner(run.sourcePath)
                           : QString());
    }

    WorkspaceRecord record;
    switch (record.load(given.absoluteFilePath())) {
    case WorkspaceRecord::LoadResult::Opened:
        break;
    case WorkspaceRecord::LoadResult::NotOpenable:
        return refuse(QStringLiteral("cannot read %1").arg(file));
    case WorkspaceRecord::LoadResult::NotAWorkspace:
        return refuse(QStringLiteral("%1 is not a workspace file").arg(file));
    }
    const QString mainFile = record.mainFile();
    if (mainFile.isEmpty())
        return refuse(BuildCommandRules::pathNameErrorMessage(2) + QStringLiteral(": ")
                      + QStringLiteral("the workspace names no main file"));
    // A main file stored without a folder is taken from the workspace's folder.
    const QFileInfo main(QDir(given.absolutePath()), mainFile);
    if (!RegularFile::openForReading(probe, main.absoluteFilePath(), &why))
        return refuse(QStringLiteral("cannot read the main file %1: %2").arg(mainFile, why));
    probe.close();
    run.sourcePath = main.absoluteFilePath();
    run.targetFile = record.targetFile();
    run.workspaceOpen = true;
    run.options = AssemblerOptions::fromRecord(record);
    // The assembler would replace a pipe, socket or device at the target's name with a file; a
    // relative target is taken from the source's folder, where the tool runs.
    if (!run.targetFile.isEmpty()
        && !RegularFile::isWritableTarget(QFileInfo(QDir(main.absolutePath()), run.targetFile)
                                              .filePath(),
                                          &why)) {
        return refuse(BuildCommandRules::targetNotReplacedMessage(run.targetFile, why));
    }
    return runTool(run, paths, BuildCommandRules::buildingBanner(run.targetFile));
}

int CommandLineBuild::runTool(const AssemblerRun &run, const ToolPaths &paths, const QString &banner)
{
    ToolRunner runner;
    const ToolRunResult result = runner.runAndWait(AssemblerCommandLine::request(run, paths));
    if (m_out && !banner.isEmpty())
        m_out(text(bannerLine(banner)));
    if (m_out)
        m_out(result.output);

    // The post-build commands write after the tool, as they do below it in the output pane.
    QString postText;
    if (std::unique_ptr<PostBuildRun> post = runner.takePostBuild()) {
        postText = post->takeReceived();
        if (m_out)
            m_out(text(postText));
        QObject::connect(post.get(), &PostBuildRun::textReceived, [&](const QString &t) {
            postText += t;
            if (m_out)
                m_out(text(t));
        });
        if (post->isReading()) {
            QEventLoop loop;
            QObject::connect(post.get(), &PostBuildRun::finished, &loop, &QEventLoop::quit);
            if (post->isReading())
                loop.exec();
        }
    }

    if (BuildCommandRules::classify(result.code) == BuildCommandRules::ResultRange::Failed) {
        if (m_err)
            m_err(text(QStringLiteral("qvasmide: ")
                       + BuildCommandRules::returnCodeMessage(result.code) + QLatin1Char('\n')));
        return NotRun;
    }
    const BuildOutput output = BuildOutput::parse(result.output);
    if (m_out)
        m_out(text(buildWindowText(output, quint32(result.exitCode.value_or(0)))));
    const int code = exitCodeFor(result.code, output);
    // A post-build command that reports errors the way the tools do (the .EXE project's link
    // step) fails the build as well: a script must not take a missing program for a success.
    if (code == Success && BuildOutput::parse(postText.toUtf8()).totalErrors() > 0) {
        if (m_err)
            m_err(text(QStringLiteral("qvasmide: the post-build commands reported errors\n")));
        return Errors;
    }
    return code;
}

QString CommandLineBuild::buildWindowText(const BuildOutput &output, quint32 exitCode)
{
    QString out = QStringLiteral("\nBuild Window\n");
    for (int row = 0; row < output.count(); ++row)
        out += output.entry(row) + QLatin1Char('\n');
    out += QStringLiteral("Total Errors: %1\n").arg(output.totalErrors());
    out += QStringLiteral("Total Diagnostics: %1\n").arg(output.totalDiagnostics());
    out += QStringLiteral("Symbol space Free: %1\n").arg(output.symbolSpaceFree());
    out += QStringLiteral("Return Code: %1\n").arg(BuildOutput::returnCodeText(exitCode));
    return out;
}

int CommandLineBuild::exitCodeFor(int runnerResult, const BuildOutput &output)
{
    switch (BuildCommandRules::classify(runnerResult)) {
    case BuildCommandRules::ResultRange::NoErrors:
        return output.totalErrors() > 0 ? Errors : Success;
    case BuildCommandRules::ResultRange::Reported:
        if (output.totalErrors() > 0 || output.totalDiagnostics() == 0)
            return Errors;
        return Success;
    case BuildCommandRules::ResultRange::Failed:
        break;
    }
    return NotRun;
}

ToolPaths CommandLineBuild::withBundledTools(ToolPaths paths, const QString &programFolder)
{
    const auto bundled = [&](QString &path, const QString &name) {
        if (!path.isEmpty() || programFolder.isEmpty())
            return;
        const QFileInfo tool(programFolder + QStringLiteral("/tools/") + name);
        if (tool.isFile() && tool.isExecutable())
            path = tool.absoluteFilePath();
    };
    bundled(paths.assembler, QStringLiteral("qvasm"));
    bundled(paths.disassembler, QStringLiteral("qvdisasm"));
    return paths;
}
