#include "make/ui/FrameToolCommands.h"

#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/BuildState.h"
#include "make/DumpTool.h"
#include "make/MakeSettings.h"
#include "make/ToolOutputDecoder.h"
#include "make/ToolRunner.h"
#include "make/ui/CDisassembleDlg.h"
#include "make/ui/CMakeSettingsSheet.h"
#include "make/ui/ToolRunSession.h"

#include <QMdiSubWindow>
#include <QPlainTextEdit>

FrameToolCommands::FrameToolCommands(CMainFrame *frame,
                                     BuildState &state,
                                     std::function<QString()> dialogFolder)
    : QObject(frame)
    , m_frame(frame)
    , m_state(state)
    , m_dialogFolder(std::move(dialogFolder))
{
    CommandMap &c = frame->commands();
    const auto idle = [this](CommandUpdate &u) { u.enable(!m_state.isBusy()); };
    c.on(ID_MAKE_SETTINGS, [this] { makeSettings(); });
    c.onUpdate(ID_MAKE_SETTINGS, idle);
    c.on(ID_TOOLS_DISASSEMBLE, [this] { disassembleFile(); });
    c.onUpdate(ID_TOOLS_DISASSEMBLE, idle);
    c.on(ID_TOOLS_DUMP, [this] { dump(); });
}

void FrameToolCommands::makeSettings()
{
    CMakeSettingsSheet::run(m_frame);
}

void FrameToolCommands::disassembleFile()
{
    CDisassembleDlg dialog(m_dialogFolder, m_frame);
    dialog.setOptions(DisassemblerOptions::load());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const DisassemblerOptions options = dialog.options();
    options.save();
    disassemble(dialog.file(), options);
}

bool FrameToolCommands::disassemble(const QString &file, const DisassemblerOptions &options)
{
    const QString tool = MakeSettings::disassemblerPath();
    if (tool.isEmpty()) {
        showMessage(ToolRunner::missingPathMessage(ToolRequest::Disassembler));
        return false;
    }
    ToolRunner runner;
    ToolRunSession session(m_frame, &m_state, nullptr);
    const ToolRunResult result = session.run(runner,
                                             ToolRequest::disassembler(tool,
                                                                       options.arguments(file)));
    // Any failure has been reported by the runner (or had no exit code); the code itself says
    // nothing about the listing.
    if (result.code >= ToolRunner::NoResult || !m_frame)
        return false;
    const QString text = ToolOutputDecoder::decodeAll(DisassemblerOptions::cutBanner(result.output));

    const QMdiSubWindow *before = m_frame->activeDocumentFrame();
    m_frame->setRequestedKind(options.requestedKind());
    const bool made = m_frame->router().dispatch(ID_FILE_NEW);
    QMdiSubWindow *after = m_frame->activeDocumentFrame();
    // Only into the window New has just made, never into one that was there before.
    if (!made || !after || after == before)
        return false;
    QPlainTextEdit *editor = m_frame->activeDocumentWindow()->editorView();
    if (!editor)
        return false;
    QTextCursor cursor(editor->document());
    cursor.movePosition(QTextCursor::Start);
    editor->setTextCursor(cursor);
    editor->insertPlainText(text);
    cursor.movePosition(QTextCursor::Start);
    editor->setTextCursor(cursor);
    after->update();
    return true;
}

void FrameToolCommands::dump()
{
    DumpTool::launch(DumpTool::toolsDir(), ProgramValues::instance().programFolder);
}
