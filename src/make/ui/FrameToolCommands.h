#pragma once

#include "make/DisassemblerOptions.h"

#include <QObject>
#include <QPointer>

#include <functional>

class BuildState;
class CMainFrame;

// The main frame's tool commands, available with or without documents: Make > Settings (32800),
// Tools > Disassemble File (32902) and Tools > Dump (32873). Constructed once with the frame,
// whose command table it fills. Its tool runs count as the frame's (state: one at a time).
class FrameToolCommands : public QObject
{
    Q_OBJECT

public:
    // dialogFolder: where the Disassemble File dialog's "..." starts without a file named.
    FrameToolCommands(CMainFrame *frame,
                      BuildState &state,
                      std::function<QString()> dialogFolder = {});

    void makeSettings();
    // The dialog, then disassemble() with what it returned.
    void disassembleFile();
    // Runs the disassembler on file and opens its output as a new untitled document (a .txt one
    // when a column is shown, an .asm source otherwise). False when nothing was opened.
    bool disassemble(const QString &file, const DisassemblerOptions &options);
    void dump();

private:
    QPointer<CMainFrame> m_frame;
    BuildState &m_state;
    std::function<QString()> m_dialogFolder;
};
