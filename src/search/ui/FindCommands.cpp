#include "search/ui/FindCommands.h"

#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "editor/ui/CQvasmView.h"
#include "frame/FindState.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "search/GoToLine.h"
#include "search/ui/CGoToDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextBlock>

namespace {

QString replacedText(int count)
{
    return count == 1 ? QStringLiteral("1 occurrence replaced")
                      : QStringLiteral("%1 occurrences replaced").arg(count);
}

DocumentSearch::Options optionsOf(const CFindReplaceDlg::Choices &choices)
{
    return {choices.matchCase, choices.wholeWord};
}

} // namespace

FindCommands::FindCommands(CQvasmView *view,
                           CMainFrame *frame,
                           std::shared_ptr<const ModifierQuery> modifiers)
    : QObject(view)
    , m_view(view)
    , m_frame(frame)
    , m_modifiers(std::move(modifiers))
{
    setObjectName(QStringLiteral("findCommands"));
    registerCommands();
}

FindCommands::~FindCommands()
{
    // The view is going (its document closed) with the dialog still open: keep what the user
    // chose there, as closing the dialog would have.
    if (m_dialog) {
        storeDialogChoices(m_dialog->choices());
        delete m_dialog;
    }
}

Qt::KeyboardModifiers FindCommands::keyboardModifiers() const
{
    return m_modifiers && *m_modifiers ? (*m_modifiers)() : QApplication::queryKeyboardModifiers();
}

void FindCommands::registerCommands()
{
    CommandMap &c = m_view->commands();
    c.on(ID_EDIT_FIND, [this] { openDialog(CFindReplaceDlg::Form::Find); });
    c.on(ID_EDIT_REPLACE, [this] { openDialog(CFindReplaceDlg::Form::Replace); });
    c.on(ID_EDIT_FIND_NEXT, [this] { findNext(); });
    c.on(ID_EDIT_GOTO, [this] { goTo(); });
}

void FindCommands::openDialog(CFindReplaceDlg::Form form)
{
    if (!m_frame)
        return;
    CFindCombo *combo = m_frame->findCombo();
    const QString startingText
        = DocumentSearch::takeStartingText(m_frame->findState(),
                                           combo->currentText(),
                                           combo->lineEdit() && combo->lineEdit()->hasSelectedText(),
                                           m_view->textCursor().selectedText());
    if (m_dialog) {
        // One dialog per view: a second Find or Replace brings it forward in the form asked.
        m_dialog->setForm(form);
        if (!startingText.isEmpty())
            m_dialog->setFindText(startingText);
    } else {
        const FindState &state = m_frame->findState();
        CFindReplaceDlg::Choices choices;
        choices.findText = startingText;
        choices.replaceText = state.lastReplace;
        choices.matchCase = state.matchCase;
        choices.wholeWord = state.matchWord;
        choices.down = state.findDown;
        m_dialog = new CFindReplaceDlg(form, choices, m_view);
        connect(m_dialog, &CFindReplaceDlg::findNextRequested, this, &FindCommands::dialogFindNext);
        connect(m_dialog, &CFindReplaceDlg::replaceRequested, this, &FindCommands::dialogReplace);
        connect(m_dialog,
                &CFindReplaceDlg::replaceAllRequested,
                this,
                &FindCommands::dialogReplaceAll);
        connect(m_dialog, &QDialog::finished, this, &FindCommands::dialogClosed);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void FindCommands::findNext()
{
    if (!m_frame)
        return;
    const QString text = m_frame->findCombo()->currentText();
    if (text.isEmpty()) {
        openDialog(CFindReplaceDlg::Form::Find);
        return;
    }
    m_frame->AddFindNextHistory(text);
    const FindState &state = m_frame->findState();
    const bool backward = DocumentSearch::runsBackward(true,
                                                       keyboardModifiers() & Qt::ShiftModifier,
                                                       false);
    search(text, {state.matchCase, state.matchWord}, backward);
    // F3 from the Find bar's box (or after "No more found!") leaves the keys with the editor.
    m_view->activateWindow();
    m_view->setFocus();
}

bool FindCommands::search(const QString &text, const DocumentSearch::Options &options, bool backward)
{
    const QTextCursor cursor = m_view->textCursor();
    return report(DocumentSearch::find(*m_view->document(),
                                       text,
                                       cursor.selectionStart(),
                                       cursor.selectionEnd(),
                                       options,
                                       backward));
}

bool FindCommands::report(const DocumentSearch::Result &result)
{
    using DocumentSearch::Outcome;
    switch (result.outcome) {
    case Outcome::Found:
        select(result.start, result.end);
        showMessage(DocumentSearch::kReady, CMainFrame::menuBarColour());
        return true;
    case Outcome::Wrapped:
        select(result.start, result.end);
        showMessage(DocumentSearch::kPassedEnd, CMainFrame::activeCaptionColour());
        return true;
    case Outcome::NotFound:
        break;
    }
    showMessage(DocumentSearch::kReady, CMainFrame::menuBarColour());
    ::showMessage(DocumentSearch::kNoMoreFound, PromptIcon::Exclamation);
    return false;
}

void FindCommands::select(int start, int end)
{
    QTextCursor cursor = m_view->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_view->setTextCursor(cursor);
    m_view->ensureCursorVisible();
}

void FindCommands::showMessage(const QString &text, const QColor &colour)
{
    if (m_frame)
        m_frame->ShowStatusMessage(CStatusLine::MessagePane, text, colour);
}

void FindCommands::dialogFindNext()
{
    if (!m_dialog)
        return;
    const CFindReplaceDlg::Choices choices = m_dialog->choices();
    // The dialog's Up only presets the next dialog: from here the search always runs down.
    const bool backward = DocumentSearch::runsBackward(false, false, choices.down);
    search(choices.findText, optionsOf(choices), backward);
}

void FindCommands::dialogReplace()
{
    if (!m_dialog)
        return;
    const CFindReplaceDlg::Choices choices = m_dialog->choices();
    // A read-only view (a text still loading) is searched, never changed.
    if (m_view->isReadOnly()) {
        search(choices.findText, optionsOf(choices), false);
        return;
    }
    QTextCursor cursor = m_view->textCursor();
    const DocumentSearch::Result result = DocumentSearch::replaceAndFind(cursor,
                                                                         choices.findText,
                                                                         choices.replaceText,
                                                                         optionsOf(choices));
    if (result.outcome == DocumentSearch::Outcome::NotFound) {
        // The replacement stands; the caret goes behind it.
        m_view->setTextCursor(cursor);
    }
    report(result);
}

void FindCommands::dialogReplaceAll()
{
    if (!m_dialog || m_view->isReadOnly())
        return;
    const CFindReplaceDlg::Choices choices = m_dialog->choices();
    QTextCursor cursor = m_view->textCursor();
    const int count = DocumentSearch::replaceAll(cursor,
                                                 choices.findText,
                                                 choices.replaceText,
                                                 optionsOf(choices));
    if (count == 0) {
        report({});
        return;
    }
    m_view->setTextCursor(cursor);
    m_view->ensureCursorVisible();
    showMessage(replacedText(count), CMainFrame::menuBarColour());
}

void FindCommands::dialogClosed()
{
    if (!m_dialog)
        return;
    storeDialogChoices(m_dialog->choices());
    // The keys go back to the editor; without a window manager to hand them on, they would go
    // nowhere once the dialog is gone.
    QWidget *active = QApplication::activeWindow();
    if (!active || active == m_dialog) {
        m_view->activateWindow();
        m_view->setFocus();
    }
    m_dialog->deleteLater();
    m_dialog = nullptr;
}

void FindCommands::storeDialogChoices(const CFindReplaceDlg::Choices &choices)
{
    if (!m_frame)
        return;
    m_frame->AddFindHistory(choices.findText);
    FindState &state = m_frame->findState();
    state.matchCase = choices.matchCase;
    state.matchWord = choices.wholeWord;
    state.findDown = choices.down;
    state.lastReplace = choices.replaceText;
}

void FindCommands::goTo()
{
    CGoToDlg dialog(m_view);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Only one kind of target exists: a line.
    QTextDocument *text = m_view->document();
    const int block = GoToLine::targetBlock(GoToLine::lineNumber(dialog.text()), text->blockCount());
    if (block < 0)
        return;
    QTextCursor cursor(text->findBlockByNumber(block));
    m_view->setTextCursor(cursor);
    m_view->ensureCursorVisible();
}
