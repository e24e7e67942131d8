#pragma once

#include "search/DocumentSearch.h"
#include "search/ui/CFindReplaceDlg.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class CMainFrame;
class CQvasmView;

// Find (Ctrl+F), Replace (Ctrl+H), Find Next (F3, Shift+F3) and Go To (Ctrl+G) on one editor
// view's command table. The view keeps at most one find/replace dialog; its starting text,
// choices and replace text come from the frame's find state and history and go back there when
// it closes.
class FindCommands : public QObject
{
    Q_OBJECT

public:
    // The keyboard state Find Next looks at (Shift searches backwards); tests set their own.
    using ModifierQuery = std::function<Qt::KeyboardModifiers()>;

    // Registers on view's command table (becomes its child). modifiers is shared by the views of
    // one frame; an empty one asks the keyboard.
    FindCommands(CQvasmView *view,
                 CMainFrame *frame,
                 std::shared_ptr<const ModifierQuery> modifiers = nullptr);
    ~FindCommands() override;

    // The view's open find/replace dialog, or nullptr.
    CFindReplaceDlg *dialog() const { return m_dialog; }

    void openDialog(CFindReplaceDlg::Form form);
    void findNext();
    void goTo();

private:
    void registerCommands();
    // One search from the view's selection; selects what it finds and reports in the status
    // line. False when nothing was found.
    bool search(const QString &text, const DocumentSearch::Options &options, bool backward);
    bool report(const DocumentSearch::Result &result);
    void select(int start, int end);
    void showMessage(const QString &text, const QColor &colour);

    void dialogFindNext();
    void dialogReplace();
    void dialogReplaceAll();
    void dialogClosed();
    void storeDialogChoices(const CFindReplaceDlg::Choices &choices);

    Qt::KeyboardModifiers keyboardModifiers() const;

    CQvasmView *m_view;
    QPointer<CMainFrame> m_frame;
    std::shared_ptr<const ModifierQuery> m_modifiers;
    QPointer<CFindReplaceDlg> m_dialog;
};
