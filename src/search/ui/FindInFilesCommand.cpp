#include "search/ui/FindInFilesCommand.h"

#include "base/CommandIds.h"
#include "base/CommandMap.h"
#include "frame/CommandRouter.h"
#include "frame/FindState.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/ui/CMyView.h"
#include "search/DocumentSearch.h"
#include "search/FindInFilesChoices.h"
#include "search/ui/CFindInFilesDlg.h"
#include "search/ui/FindInFilesRun.h"

#include <QDockWidget>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

FindInFilesCommand::FindInFilesCommand(CMainFrame *frame, Opener opener, DocumentPath documentPath)
    : QObject(frame)
    , m_frame(frame)
    , m_opener(std::move(opener))
    , m_documentPath(std::move(documentPath))
{
    connect(frame, &CMainFrame::activeDocumentWindowChanged, this, &FindInFilesCommand::installOn);
    if (QMdiSubWindow *active = frame->activeDocumentFrame())
        installOn(active);
}

FindInFilesCommand::~FindInFilesCommand() = default;

FindInFilesRun *FindInFilesCommand::lastRun() const
{
    return m_run;
}

void FindInFilesCommand::installOn(QMdiSubWindow *window)
{
    auto *docWindow = dynamic_cast<DocumentWindow *>(window);
    if (!docWindow || !docWindow->viewCommands() || m_installed.contains(window))
        return;
    m_installed.removeAll(nullptr);
    m_installed.append(window);
    QPointer<QMdiSubWindow> w(window);
    docWindow->viewCommands()->on(ID_EDIT_DETAILED_FIND, [this, w] { detailedFind(w); });
    if (m_frame)
        m_frame->requestCommandUpdate();
}

void FindInFilesCommand::detailedFind(QMdiSubWindow *window)
{
    auto *docWindow = dynamic_cast<DocumentWindow *>(window);
    if (!m_frame || !docWindow)
        return;
    CMainFrame *frame = m_frame;
    FindState &state = frame->findState();
    const QPointer<QMdiSubWindow> alive(window);

    QString selection;
    if (const QPlainTextEdit *editor = docWindow->editorView())
        selection = editor->textCursor().selectedText();
    const CFindCombo *combo = frame->findCombo();
    const QString startingText
        = DocumentSearch::takeStartingText(state,
                                           combo ? combo->currentText() : QString(),
                                           combo && combo->lineEdit()
                                               && combo->lineEdit()->hasSelectedText(),
                                           selection);

    CFindInFilesDlg dialog(FindInFilesChoices::fromState(state, startingText), m_opener, frame);
    dialog.exec();
    if (dialog.ending() == CFindInFilesDlg::Cancelled || !m_frame)
        return;

    FindInFilesChoices choices = dialog.choices();
    if (dialog.ending() == CFindInFilesDlg::Find) {
        // The window may have closed while the dialog was up: then no document folder to use.
        const QString documentPath = alive && m_documentPath ? m_documentPath(alive) : QString();
        const FindInFiles::Request request = choices.request(documentPath);
        choices.folder = request.folder; // stored as searched, with its final "/"

        if (frame->viewBar() && frame->viewBar()->isHidden())
            frame->router().dispatch(ID_VIEW_VIEW_BAR);
        // A new search takes the pane: the one before it stops where it is.
        delete m_run.data();
        m_run = new FindInFilesRun(frame, qobject_cast<CMyView *>(frame->outputPane()), this);
        m_run->start(request);
    }
    frame->AddFindHistory(choices.text);
    choices.storeInto(state);
}
