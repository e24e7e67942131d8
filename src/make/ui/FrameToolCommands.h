#pragma once

#include "make/DisassemblerOptions.h"

#include <QObject>
#include <QPointer>

class CMainFrame;

// The main frame's tool commands, available with or without documents: Make > Settings (32800),
// Tools > Disassemble File (32902) and Tools > Dump (32873). Constructed once with the frame,
// whose command table it fills.
class FrameToolCommands : public QObject
{
    Q_OBJECT

public:
    explicit FrameToolCommands(CMainFrame *frame);

    void makeSettings();
    // The dialog, then disassemble() with what it returned.
    void disassembleFile();
    // Runs the disassembler on file and opens its output as a new untitled document (a .txt one
    // when a column is shown, an .asm source otherwise). False when nothing was opened.
    bool disassemble(const QString &file, const DisassemblerOptions &options);
    void dump();

private:
    QPointer<CMainFrame> m_frame;
};
