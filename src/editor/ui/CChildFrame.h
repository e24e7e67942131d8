#pragma once

#include "base/CommandMap.h"
#include "frame/ui/DocumentWindow.h"

#include <QMdiSubWindow>

class CMainFrame;
class CQvasmDoc;
class CQvasmView;

// The document window in the main frame's document area: always opened maximised, captioned with
// the document's name and "*" while modified. It owns its document and the document's view;
// closing it through its own close button asks "Save changes to: " first. It follows its
// document's signals: the caption, and the Close command's request to close.
class CChildFrame : public QMdiSubWindow, public DocumentWindow
{
    Q_OBJECT

public:
    // Takes ownership of the document and makes its view.
    explicit CChildFrame(CQvasmDoc *document, QWidget *parent = nullptr);
    ~CChildFrame() override;

    CQvasmDoc *document() const { return m_doc; }
    CQvasmView *view() const { return m_view; }
    // The window (and view) of a document, or nullptr when it has none (a bare document).
    static CChildFrame *of(const CQvasmDoc *document);
    static CQvasmView *viewOf(const CQvasmDoc *document);
    // The views of the frame's document windows, also those never made active (a workspace
    // opens several at once).
    static QList<CQvasmView *> viewsIn(const CMainFrame *frame);

    // Closes the window without asking: the document has been asked already, or must go.
    void closeWithoutAsking();

    CommandMap *viewCommands() override;
    CommandMap *documentCommands() override;
    CommandMap *frameCommands() override { return &m_commands; }
    QPlainTextEdit *editorView() override;

signals:
    // The window has closed for good (its deletion follows later): the document is no longer
    // open from this moment on.
    void documentClosed(CQvasmDoc *document);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    CQvasmDoc *m_doc;
    CQvasmView *m_view;
    CommandMap m_commands;
    bool m_closeAsked = false;
    bool m_closed = false;
};
