#include "editor/ui/ViewContextHelp.h"

#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "editor/HelpFile.h"
#include "editor/ui/CHelpPopup.h"
#include "editor/ui/CQvasmView.h"
#include "frame/MenuResources.h"
#include "frame/ui/CMainFrame.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTextBlock>

namespace {

// The caret's line as far as the classic line buffer reached.
constexpr int kMaxLine = 2048;

} // namespace

ViewContextHelp::ViewContextHelp(CQvasmView *view)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
{
    setObjectName(QStringLiteral("contextHelp"));
    m_viewport->installEventFilter(this);
    registerCommands();
}

void ViewContextHelp::registerCommands()
{
    CommandMap &c = m_view->commands();
    c.on(ID_HELP_AT_CARET, [this] { showHelp(true); });
    c.on(ID_HELP_CONTEXT, [this] { showHelp(false); });
    c.on(ID_GOTO_DEFINITION, [] { showMessage(QStringLiteral("Not implemented yet")); });
}

QString ViewContextHelp::wordAtCaret() const
{
    const QTextCursor cursor = m_view->textCursor();
    const QString line = cursor.block().text().left(kMaxLine);
    return HelpFile::wordAt(line, cursor.positionInBlock());
}

void ViewContextHelp::showHelp(bool atCaret)
{
    const QString word = wordAtCaret();
    if (word.isEmpty())
        return;
    if (CHelpPopup *popup = CHelpPopup::of(m_view))
        popup->ShowHelp(*m_view,
                        word,
                        atCaret ? CHelpPopup::Placement::Caret : CHelpPopup::Placement::Pointer);
}

int ViewContextHelp::menuFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons held)
{
    if (held & ~Qt::RightButton)
        return -1;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (shift && ctrl)
        return MenuResources::EditorShiftCtrl;
    if (shift)
        return MenuResources::EditorShift;
    if (ctrl)
        return MenuResources::EditorCtrl;
    return MenuResources::EditorStandard;
}

QHash<int, QString> ViewContextHelp::shiftMenuTexts(const QString &word)
{
    if (word.isEmpty()) {
        const QString none = QStringLiteral("no selection");
        return {{ID_HELP_CONTEXT, none}, {ID_GOTO_DEFINITION, none}};
    }
    return {{ID_HELP_CONTEXT, QStringLiteral("Help on \"%1\"").arg(word)},
            {ID_GOTO_DEFINITION, QStringLiteral("Go to definition of \"%1\"").arg(word)}};
}

bool ViewContextHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_viewport)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        // With Shift the right button also clicks: the caret goes to the pointer.
        if (mouse->button() == Qt::RightButton && (mouse->modifiers() & Qt::ShiftModifier))
            m_view->setTextCursor(m_view->cursorForPosition(mouse->position().toPoint()));
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            rightButtonReleased(mouse);
        break;
    }
    case QEvent::ContextMenu: {
        auto *menu = static_cast<QContextMenuEvent *>(event);
        // The mouse has its menus on the button's release; the menu key gets the standard one.
        if (menu->reason() == QContextMenuEvent::Keyboard) {
            if (CMainFrame *frame = m_view->mainFrame())
                frame->popupContextMenu(MenuResources::EditorStandard,
                                        m_view->viewport()->mapToGlobal(
                                            m_view->cursorRect().bottomLeft()));
        }
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ViewContextHelp::rightButtonReleased(QMouseEvent *event)
{
    CMainFrame *frame = m_view->mainFrame();
    const int menu = menuFor(event->modifiers(), event->buttons());
    if (!frame || menu < 0)
        return;
    QHash<int, QString> texts;
    if (menu == MenuResources::EditorShift) {
        m_view->setTextCursor(m_view->cursorForPosition(event->position().toPoint()));
        texts = shiftMenuTexts(wordAtCaret());
    }
    frame->popupContextMenu(menu, event->globalPosition().toPoint(), texts);
}
