#include "editor/ui/CQvasmView.h"

#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/EditorSettings.h"
#include "editor/ui/DocumentPrinter.h"
#include "editor/ui/SourceDocumentLayout.h"
#include "editor/ui/ViewColourer.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>

#include <optional>

namespace {

ViewColourer *g_colourer = nullptr;

// Asking the clipboard is a round trip to the display server; the answer holds until it changes.
bool clipboardHasText()
{
    static std::optional<bool> known;
    static const QMetaObject::Connection watch = QObject::connect(QGuiApplication::clipboard(),
                                                                  &QClipboard::dataChanged,
                                                                  [] { known.reset(); });
    Q_UNUSED(watch);
    if (!known) {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        known = data && data->hasText();
    }
    return *known;
}

// The printer of a view nobody gave the program's printer to (tests).
QPrinter *ownPrinter()
{
    static QPrinter printer;
    return &printer;
}

int lineHeight(const QPlainTextEdit &edit)
{
    return qMax(1, qRound(QFontMetricsF(edit.document()->defaultFont()).lineSpacing()));
}

} // namespace

CQvasmView::CQvasmView(CQvasmDoc *document, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_doc(document)
{
    setObjectName(QStringLiteral("editor"));
    setLineWrapMode(NoWrap);
    // Files dropped here belong to the main frame; text is not dragged around inside.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    const QFont font = EditorSettings::font(SettingsStore::instance());
    setFont(font);
    if (m_doc->isLoading()) {
        // An empty stand-in until the text is in; nothing typed meanwhile could be kept.
        setReadOnly(true);
        connect(m_doc, &CQvasmDoc::loaded, this, [this] {
            setReadOnly(false);
            attachText();
            for (const std::unique_ptr<QKeyEvent> &key : std::exchange(m_keysWhileLoading, {}))
                QCoreApplication::sendEvent(this, key.get());
        });
    }
    attachText();
    registerCommands();
    // A reload keeps the caret and the scroll where they can be; recovered text shows from the
    // top, as a file just opened.
    connect(m_doc, &CQvasmDoc::aboutToReload, this, [this] {
        m_beforeReload = {textCursor().anchor(), textCursor().position(), scrollPosition()};
    });
    connect(m_doc, &CQvasmDoc::reloaded, this, [this] {
        const int last = this->document()->characterCount() - 1;
        setSelection(qMin(m_beforeReload.anchor, last), qMin(m_beforeReload.position, last));
        setScrollPosition(m_beforeReload.scroll);
    });
    connect(m_doc, &CQvasmDoc::textRestored, this, [this] { moveCursor(QTextCursor::Start); });
}

QPrinter *CQvasmView::printer() const
{
    QPrinter *given = m_printer ? m_printer() : nullptr;
    return given ? given : ownPrinter();
}

CQvasmView::~CQvasmView()
{
    disconnect(m_contentsConnection);
}

FileKind CQvasmView::fileKind() const
{
    return m_doc->fileKind();
}

CMainFrame *CQvasmView::mainFrame() const
{
    return qobject_cast<CMainFrame *>(window());
}

void CQvasmView::attachText()
{
    QTextDocument *text = m_doc->textDocument();
    setDocument(text);
    setTabStops(EditorSettings::tabStops(SettingsStore::instance()));
    disconnect(m_contentsConnection);
    m_contentsConnection = connect(text,
                                   &QTextDocument::contentsChange,
                                   this,
                                   &CQvasmView::onContentsChange);
    noteVisibleBlocks();
}

// Redraw lock ---------------------------------------------------------------------------------

void CQvasmView::LockRedraw()
{
    if (m_redrawLock++ == 0)
        viewport()->setUpdatesEnabled(false);
}

void CQvasmView::UnlockRedraw()
{
    if (m_redrawLock <= 0)
        return;
    if (--m_redrawLock == 0) {
        viewport()->setUpdatesEnabled(true);
        viewport()->update();
    }
}

// Colouring ------------------------------------------------------------------------------------

void CQvasmView::setColourer(ViewColourer *colourer)
{
    g_colourer = colourer;
}

ViewColourer *CQvasmView::colourer()
{
    return g_colourer;
}

bool CQvasmView::formattingOn()
{
    return ProgramValues::instance().formatting;
}

void CQvasmView::Refresh()
{
    if (m_doc->isLoading())
        return;
    const bool modified = m_doc->IsModified();
    if (g_colourer) {
        ColouringBusy busy(*this);
        RedrawLock lock(*this);
        if (formattingOn())
            g_colourer->colourAll(*this);
        else
            g_colourer->clearColours(*this);
    }
    // Without a colourer there is nothing but black text: colours never live in the text itself.
    m_doc->SetModifiedFlag(modified);
}

void CQvasmView::onContentsChange(int position, int removed, int added)
{
    if (g_colourer && !m_colouringBusy && formattingOn())
        g_colourer->textChanged(*this, position, removed, added);
}

void CQvasmView::noteVisibleBlocks()
{
    emit visibleBlocksChanged();
    if (g_colourer && !m_colouringBusy && formattingOn() && !m_doc->isLoading())
        g_colourer->visibleBlocksChanged(*this);
}

QTextBlock CQvasmView::firstVisibleTextBlock() const
{
    return firstVisibleBlock();
}

QTextBlock CQvasmView::lastVisibleTextBlock() const
{
    const QTextBlock block = cursorForPosition(QPoint(1, viewport()->height() - 2)).block();
    return block.isValid() ? block : document()->lastBlock();
}

void CQvasmView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    noteVisibleBlocks();
}

void CQvasmView::scrollContentsBy(int dx, int dy)
{
    // Scrolled by lines now: a part line kept from a restored position no longer applies. The
    // viewport gets its place back once the scroll is through (moving it now would lay the
    // view out again in the middle of the scroll).
    if (dy != 0 && !m_settingScroll && m_scrollRemainder != 0) {
        m_scrollRemainder = 0;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_scrollRemainder == 0)
                    setViewportMargins(0, 0, 0, 0);
            },
            Qt::QueuedConnection);
    }
    QPlainTextEdit::scrollContentsBy(dx, dy);
    if (dy != 0)
        noteVisibleBlocks();
}

void CQvasmView::showEvent(QShowEvent *event)
{
    QPlainTextEdit::showEvent(event);
    noteVisibleBlocks();
}

// Font, tabs, wrapping ---------------------------------------------------------------------------

void CQvasmView::setEditorFont(const QFont &font)
{
    setScrollRemainder(0); // a part of a line of the old font
    setFont(font);
    document()->setDefaultFont(font);
    setTabStops(EditorSettings::tabStops(SettingsStore::instance()));
}

void CQvasmView::setTabStops(int characters)
{
    setTabStopDistance(EditorSettings::tabStopDistance(document()->defaultFont(), characters));
}

void CQvasmView::setWordWrap(bool on)
{
    if (on == wordWrap())
        return;
    if (auto *layout = qobject_cast<SourceDocumentLayout *>(document()->documentLayout()))
        layout->setViewWraps(on);
    setLineWrapMode(on ? WidgetWidth : NoWrap);
}

// Position ---------------------------------------------------------------------------------------

QPoint CQvasmView::scrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(),
                  verticalScrollBar()->value() * lineHeight(*this) + m_scrollRemainder);
}

void CQvasmView::setScrollPosition(const QPoint &position)
{
    const QScopedValueRollback<bool> setting(m_settingScroll, true);
    horizontalScrollBar()->setValue(position.x());
    // The scroll bar moves by whole lines; the rest of the pixels scroll the viewport itself.
    const int height = lineHeight(*this);
    const int y = qMax(0, position.y());
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(y / height);
    setScrollRemainder(bar->value() == y / height ? y % height : 0);
}

void CQvasmView::setScrollRemainder(int pixels)
{
    const QScopedValueRollback<bool> setting(m_settingScroll, true);
    m_scrollRemainder = pixels;
    // The viewport reaches that far above the frame, so the top line shows only its lower part.
    if (viewportMargins().top() != -pixels)
        setViewportMargins(0, -pixels, 0, 0);
}

void CQvasmView::setSelection(int anchor, int position)
{
    const int end = qMax(0, document()->characterCount() - 1);
    QTextCursor cursor(document());
    cursor.setPosition(qBound(0, anchor, end));
    cursor.setPosition(qBound(0, position, end), QTextCursor::KeepAnchor);
    const QPoint scroll = scrollPosition();
    setTextCursor(cursor);
    setScrollPosition(scroll);
}

void CQvasmView::restoreView(int selectionStart, int selectionEnd, const QPoint &scroll)
{
    if (m_doc->isLoading()) {
        connect(
            m_doc,
            &CQvasmDoc::loaded,
            this,
            [this, selectionStart, selectionEnd, scroll] {
                restoreView(selectionStart, selectionEnd, scroll);
            },
            Qt::SingleShotConnection);
        return;
    }
    setSelection(selectionStart, selectionEnd);
    setScrollPosition(scroll);
}

void CQvasmView::scrollLines(int lines)
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

// Clipboard and keys -----------------------------------------------------------------------------

bool CQvasmView::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

void CQvasmView::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: no rich text, no pictures, whatever else the clipboard offers.
    if (source && source->hasText())
        insertPlainText(source->text());
}

bool CQvasmView::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_doc->isLoading()) {
        // Typed before the text is in: kept and typed into it once it is (up to a limit no
        // typist reaches in the seconds a load takes).
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_keysWhileLoading.size() < MaxKeysWhileLoading)
            m_keysWhileLoading.push_back(std::unique_ptr<QKeyEvent>(key->clone()));
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor would keep keys like Ctrl+Up or Ctrl+Z to itself; the accelerators in force
        // go to their commands instead.
        const CMainFrame *frame = mainFrame();
        if (frame && frame->isAcceleratorKey(static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

// Commands -----------------------------------------------------------------------------------------

void CQvasmView::registerCommands()
{
    CommandMap &c = m_commands;
    const auto editable = [this] { return !isReadOnly(); };
    const auto selection = [this] { return textCursor().hasSelection(); };

    c.on(ID_EDIT_UNDO, [this] {
        RedrawLock lock(*this);
        undo();
    });
    c.onUpdate(ID_EDIT_UNDO, [this, editable](CommandUpdate &u) {
        u.enable(editable() && document()->isUndoAvailable());
    });
    c.on(ID_EDIT_REDO, [this] {
        RedrawLock lock(*this);
        redo();
    });
    c.onUpdate(ID_EDIT_REDO, [this, editable](CommandUpdate &u) {
        u.enable(editable() && document()->isRedoAvailable());
    });
    c.on(ID_EDIT_CUT, [this] { cut(); });
    c.onUpdate(ID_EDIT_CUT,
               [editable, selection](CommandUpdate &u) { u.enable(editable() && selection()); });
    c.on(ID_EDIT_COPY, [this] { copy(); });
    c.onUpdate(ID_EDIT_COPY, [selection](CommandUpdate &u) { u.enable(selection()); });
    c.on(ID_EDIT_CLEAR, [this] { textCursor().removeSelectedText(); });
    c.onUpdate(ID_EDIT_CLEAR,
               [editable, selection](CommandUpdate &u) { u.enable(editable() && selection()); });
    c.on(ID_EDIT_SELECT_ALL, [this] { selectAll(); });
    c.on(ID_EDIT_PASTE, [this] { paste(); });
    // This table is asked only while this view is the active one; the focus says nothing here
    // (the menu bar holds it while a menu opened from the keyboard asks).
    c.onUpdate(ID_EDIT_PASTE,
               [editable](CommandUpdate &u) { u.enable(editable() && clipboardHasText()); });

    c.on(ID_VIEW_WORDWRAP, [this] { setWordWrap(!wordWrap()); });
    c.onUpdate(ID_VIEW_WORDWRAP, [this](CommandUpdate &u) {
        u.enable();
        u.setCheck(wordWrap());
    });
    c.onUpdate(ID_VIEW_FORMATTING, [](CommandUpdate &u) {
        u.enable();
        u.setCheck(formattingOn());
    });
    c.on(ID_VIEW_REFRESH, [this] { Refresh(); });
    c.onUpdate(ID_VIEW_REFRESH, [](CommandUpdate &u) { u.enable(formattingOn()); });
    c.on(ID_SCROLL_LINE_UP, [this] { scrollLines(-1); });
    c.on(ID_SCROLL_LINE_DOWN, [this] { scrollLines(1); });

    c.on(ID_FILE_PRINT, [this] { printWithDialog(); });
    c.onUpdate(ID_FILE_PRINT, [this](CommandUpdate &u) { u.enable(!m_doc->isLoading()); });
    c.on(ID_FILE_PRINT_PREVIEW, [this] { printPreview(); });
    c.onUpdate(ID_FILE_PRINT_PREVIEW, [this](CommandUpdate &u) { u.enable(!m_doc->isLoading()); });
}

// Printing -----------------------------------------------------------------------------------------

int CQvasmView::print(QPrinter *printer) const
{
    DocumentPrinter::FormatSource colours;
    if (g_colourer && formattingOn() && DocumentNaming::isColoured(fileKind())) {
        colours = [this](const QTextBlock &block) { return g_colourer->printFormats(*this, block); };
    }
    return DocumentPrinter::print(*document(), document()->defaultFont(), printer, colours);
}

void CQvasmView::printWithDialog()
{
    QPrinter *printer = this->printer();
    QPrintDialog dialog(printer, this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() == QDialog::Accepted)
        print(printer);
}

void CQvasmView::printPreview()
{
    QPrinter *printer = this->printer();
    QPrintPreviewDialog dialog(printer, this);
    dialog.setObjectName(QStringLiteral("printPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) { print(p); });
    dialog.exec();
}
