#pragma once

class CommandMap;
class QPlainTextEdit;

// What the main frame needs from a document window (the child frame, a QMdiSubWindow that also
// derives from this): its three command owners, asked in this order before the main frame and
// the application, and its editor. Any of them may be nullptr.
class DocumentWindow
{
public:
    virtual ~DocumentWindow() = default;

    virtual CommandMap *viewCommands() = 0;
    virtual CommandMap *documentCommands() = 0;
    virtual CommandMap *frameCommands() = 0;
    // The editor view; the frame follows its caret for the status line and pastes into it for
    // New from Clipboard.
    virtual QPlainTextEdit *editorView() = 0;
};
