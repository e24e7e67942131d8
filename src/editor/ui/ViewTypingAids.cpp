#include "editor/ui/ViewTypingAids.h"

#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/MemberCollector.h"
#include "editor/SourceFileCodec.h"
#include "editor/TypingAids.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CMemberPopupDlg.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/ViewColourer.h"
#include "frame/ui/CMainFrame.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTextBlock>

namespace {

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Insert:
        return true;
    default:
        return false;
    }
}

} // namespace

ViewTypingAids::ViewTypingAids(CQvasmView *view, std::shared_ptr<bool> autoIndent)
    : QObject(view)
    , m_view(view)
    , m_autoIndent(autoIndent ? std::move(autoIndent) : std::make_shared<bool>(false))
{
    setObjectName(QStringLiteral("typingAids"));
    view->installEventFilter(this);
}

bool ViewTypingAids::eventFilter(QObject *watched, QEvent *event)
{
    // Keys typed while a large file is still loading are kept by the view and come back here
    // once the text is in.
    if (watched == m_view && !m_view->GetDocument()->isLoading()) {
        if (event->type() == QEvent::KeyPress)
            return keyPress(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::KeyRelease)
            keyRelease(static_cast<QKeyEvent *>(event));
    }
    return QObject::eventFilter(watched, event);
}

bool ViewTypingAids::keyPress(QKeyEvent *event)
{
    if (m_view->isReadOnly())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!plain)
            return false;
        tab(event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!plain)
            return false;
        // Shift+Enter too: a source has no line breaks inside a line.
        enter();
        return true;
    case Qt::Key_Backspace:
        if (*m_autoIndent && plain) {
            *m_autoIndent = false;
            QTextCursor cursor = m_view->textCursor();
            if (TypingAids::backspaceAfterAutoIndent(cursor)) {
                m_view->setTextCursor(cursor);
                return true;
            }
        }
        *m_autoIndent = false;
        return false;
    default:
        // Any other character ends the auto-indentation; keys without one leave it.
        if (!event->text().isEmpty() && event->text().at(0).isPrint())
            *m_autoIndent = false;
        return false;
    }
}

void ViewTypingAids::keyRelease(QKeyEvent *event)
{
    if (isNavigationKey(event->key())) {
        if (!(event->modifiers() & Qt::ShiftModifier) && CQvasmView::formattingOn()
            && CQvasmView::colourer() && !m_view->isColouringBusy()
            && !m_view->GetDocument()->isLoading()) {
            CQvasmView::colourer()->visibleBlocksChanged(*m_view);
        }
        *m_autoIndent = false;
        return;
    }
    if ((event->key() == Qt::Key_Period || event->key() == Qt::Key_Greater)
        && !event->isAutoRepeat() && !m_view->isReadOnly()
        && TypingAids::memberPopupEnabled(SettingsStore::instance())) {
        showMemberPopup();
    }
}

void ViewTypingAids::tab(bool shift)
{
    const TypingAids::TabSettings settings = TypingAids::readTabSettings(SettingsStore::instance());
    QTextCursor cursor = m_view->textCursor();
    const QTextDocument *document = m_view->document();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const bool block = document->findBlock(start)
                       != document->findBlock(end > start ? end - 1 : end);
    if (!block) {
        TypingAids::tab(cursor, settings, shift);
        m_view->setTextCursor(cursor);
        return;
    }
    // A block: one repaint, and the text stays where it was on screen.
    const QPoint scroll = m_view->scrollPosition();
    {
        CQvasmView::RedrawLock lock(*m_view);
        TypingAids::tab(cursor, settings, shift);
        m_view->setTextCursor(cursor);
        m_view->setScrollPosition(scroll);
    }
}

void ViewTypingAids::enter()
{
    QTextCursor cursor = m_view->textCursor();
    bool indented = false;
    {
        CQvasmView::RedrawLock lock(*m_view);
        indented = TypingAids::enter(cursor);
        m_view->setTextCursor(cursor);
    }
    m_view->ensureCursorVisible();
    *m_autoIndent = indented;
}

QStringList ViewTypingAids::membersAtCaret() const
{
    const QTextCursor cursor = m_view->textCursor();
    const int column = cursor.positionInBlock();
    if (column < 1)
        return {};
    const MemberCollector::Query query = MemberCollector::queryFor(
        QStringView(cursor.block().text()).left(column));
    if (query.kind == MemberCollector::Kind::None)
        return {};
    const CQvasmDoc *doc = m_view->GetDocument();
    // The documents open in this view's frame.
    const QPointer<CMainFrame> frame = m_view->mainFrame();
    const auto openText = [frame](const QString &fullPath) -> std::optional<QString> {
        if (!frame)
            return std::nullopt;
        for (QMdiSubWindow *window : frame->mdiArea()->subWindowList()) {
            auto *child = qobject_cast<CChildFrame *>(window);
            const CQvasmDoc *other = child ? child->document() : nullptr;
            if (other && other->GetPathName().compare(fullPath, Qt::CaseInsensitive) == 0)
                return SourceFileCodec::documentText(*other->textDocument());
        }
        return std::nullopt;
    };
    return MemberCollector::collect(query,
                                    SourceFileCodec::documentText(*m_view->document()),
                                    doc->GetPathName(),
                                    openText);
}

void ViewTypingAids::showMemberPopup()
{
    const QStringList members = membersAtCaret();
    if (members.isEmpty())
        return;
    // The view may go while the pop-up runs its own event loop.
    const QPointer<CQvasmView> view(m_view);
    const QPointer<CMemberPopupDlg> popup = new CMemberPopupDlg(m_view);
    popup->setNames(members);
    popup->setAnchor(m_view->viewport()->mapToGlobal(m_view->cursorRect().topLeft()));
    if (const QWidget *top = m_view->window())
        popup->setBounds(top->frameGeometry());
    const int result = popup->exec();
    if (!popup || !view)
        return;
    const QString chosen = popup->chosenName();
    delete popup.data();
    if (result != QDialog::Accepted || chosen.isEmpty())
        return;
    QTextCursor cursor = view->textCursor();
    cursor.insertText(chosen);
    view->setTextCursor(cursor);
}
