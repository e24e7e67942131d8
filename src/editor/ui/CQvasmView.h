#pragma once

#include "base/CommandMap.h"
#include "editor/DocumentNaming.h"
#include "editor/LineMarks.h"
#include "frame/ui/BusyIndicator.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class CMainFrame;
class CQvasmDoc;
class LineGutter;
class QPrinter;
class ViewColourer;

// The editor window of a source document: a plain-text editor over the document's text with the
// editor font, tab stops of `tabstops` characters, no wrapping until asked, plain-text paste
// only, and no drops (files dropped on it go to the main frame). It is the first owner on the
// command route and handles the editing, view and print commands.
//
// Hooks for the colouring engine (ViewColourer, installed once with setColourer()): the text
// change of the caret's line, the moment other blocks come into view, Refresh / Formatting /
// font as whole-text recolour points, the colouring-busy flag and the redraw lock.
class CQvasmView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CQvasmView(CQvasmDoc *document, QWidget *parent = nullptr);
    ~CQvasmView() override;

    CQvasmDoc *GetDocument() const { return m_doc; }
    FileKind fileKind() const;
    CommandMap &commands() { return m_commands; }
    CMainFrame *mainFrame() const;

    // Redraw lock: bulk changes run inside it and end with one repaint. Nests.
    void LockRedraw();
    void UnlockRedraw();
    int redrawLockCount() const { return m_redrawLock; }
    class RedrawLock
    {
    public:
        explicit RedrawLock(CQvasmView &view)
            : m_view(view)
        {
            m_view.LockRedraw();
        }
        ~RedrawLock() { m_view.UnlockRedraw(); }
        RedrawLock(const RedrawLock &) = delete;
        RedrawLock &operator=(const RedrawLock &) = delete;

    private:
        CQvasmView &m_view;
    };

    // Colouring-busy flag: set while the view runs a colouring or a text command of its own, so
    // that the text change it makes does not start another colouring.
    bool isColouringBusy() const { return m_colouringBusy > 0; }
    class ColouringBusy
    {
    public:
        explicit ColouringBusy(CQvasmView &view)
            : m_view(view)
        {
            ++m_view.m_colouringBusy;
        }
        ~ColouringBusy() { --m_view.m_colouringBusy; }
        ColouringBusy(const ColouringBusy &) = delete;
        ColouringBusy &operator=(const ColouringBusy &) = delete;

    private:
        CQvasmView &m_view;
    };

    // The printer Print Setup configures, given by whoever makes the view (asked when needed: it
    // is made on first use); else one of its own.
    void setPrinter(std::function<QPrinter *()> printer) { m_printer = std::move(printer); }
    QPrinter *printer() const;

    // The busy animation of this view (CMainFrame::StartBusyAnimation / StopBusyAnimation).
    BusyIndicator &busyIndicator() { return m_busy; }

    // Colouring ------------------------------------------------------------------------------
    static void setColourer(ViewColourer *colourer);
    static ViewColourer *colourer();
    // The program's formatting flag (Settings/useformatting).
    static bool formattingOn();
    // With formatting on: colour the whole text; off: every colour goes. The modified flag is
    // kept either way.
    void Refresh();
    // First and last block on screen: the blocks under the top left and under the point one
    // pixel right of the left edge and two pixels above the bottom.
    QTextBlock firstVisibleTextBlock() const;
    QTextBlock lastVisibleTextBlock() const;

    // Font and tabs ----------------------------------------------------------------------------
    void setEditorFont(const QFont &font);
    void setTabStops(int characters);

    bool wordWrap() const { return lineWrapMode() != NoWrap; }
    void setWordWrap(bool on);

    // Position -------------------------------------------------------------------------------
    // Scroll position in pixels (y counts lines of the editor font). A y between two lines is
    // kept to the pixel: the top line shows that far scrolled out, until the view scrolls.
    QPoint scrollPosition() const;
    void setScrollPosition(const QPoint &position);
    // Selects from anchor to position without scrolling the caret into view.
    void setSelection(int anchor, int position);
    // Selection, then scroll position, as a workspace member is reopened; a document still
    // loading gets them once its text is in.
    void restoreView(int selectionStart, int selectionEnd, const QPoint &scroll);
    // Scrolls by lines; the caret stays where it is.
    void scrollLines(int lines);

    // Gutter and line marks --------------------------------------------------------------------
    // Line numbers in the gutter (the gutter also shows while marks are set).
    bool lineNumbersShown() const { return m_lineNumbers; }
    void setLineNumbersShown(bool on);
    QWidget *gutter() const;
    int gutterWidth() const { return m_gutterWidth; }
    // Marks on lines of the text, replacing the ones there were: each is anchored to its line's
    // text, so it moves with lines inserted or deleted above, and goes when its line is
    // deleted. Lines outside the text are left out. A text still loading gets them once it is in.
    void setLineMarks(const QList<LineMark> &marks);
    void clearLineMarks() { setLineMarks({}); }
    // The marks still there, each with the line it is on now.
    QList<LineMark> lineMarks() const;
    // The tool tips of the marks on a 1-based line, one paragraph each; empty when it has none.
    QString lineMarkToolTip(int line) const;
    // Where the wavy line under a marked line in view goes (viewport coordinates); empty for a
    // line out of view or without a mark.
    QRect markUnderlineRect(int line) const;
    // The 1-based line at a height in the viewport's (and the gutter's) coordinates; 0 below
    // the text.
    int lineAtY(int y) const;
    void paintGutter(QPaintEvent *event);
    // A column of text beside each line, left of the marks (what a listing says of the line);
    // lines inserted or deleted later take their texts along. Shown only when asked.
    void setLineAnnotations(const QHash<int, QString> &byLine);
    bool hasLineAnnotations() const { return !m_annotations.empty(); }
    QString lineAnnotation(int line) const;
    bool annotationsShown() const { return m_annotationsShown; }
    void setAnnotationsShown(bool on);

    // Prints the text in the editor font with its colours, on the printer's pages with margins
    // of 720 twips. Returns the number of pages.
    int print(QPrinter *printer) const;

signals:
    // Scroll, resize or a new text brought other blocks into view.
    void visibleBlocksChanged();
    // A marked line was deleted, so its mark went.
    void lineMarksChanged();

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void attachText();
    void registerCommands();
    void noteVisibleBlocks();
    void onContentsChange(int position, int removed, int added);
    void printPreview();
    void printWithDialog();
    void setScrollRemainder(int pixels);
    void applyViewportMargins();
    void updateGutterWidth();
    void placeGutter();
    QHash<int, LineMark::Kind> marksInView() const; // by block number
    QRect underlineRect(const QTextBlock &block) const;
    void dropDeletedMarks();

    CQvasmDoc *m_doc;
    std::function<QPrinter *()> m_printer;
    struct Place
    {
        int anchor = 0;
        int position = 0;
        QPoint scroll;
    } m_beforeReload;
    CommandMap m_commands;
    BusyIndicator m_busy;
    int m_redrawLock = 0;
    int m_colouringBusy = 0;
    // Pixels of the top line scrolled out beyond the scroll bar's whole lines.
    int m_scrollRemainder = 0;
    bool m_settingScroll = false;
    QMetaObject::Connection m_contentsConnection;
    QMetaObject::Connection m_blockCountConnection;
    LineGutter *m_gutter = nullptr;
    bool m_lineNumbers = true;
    int m_gutterWidth = 0;
    int m_gutterPaintedBlocks = -1; // the line count when the gutter was last painted
    struct AnchoredMark
    {
        LineMark mark;
        // From the line's start to the next line's start: both ends move with the text, and
        // they meet when the whole line is deleted.
        QTextCursor span;
    };
    std::vector<AnchoredMark> m_marks;
    QList<LineMark> m_pendingMarks;     // given while the text was loading
    std::vector<QString> m_annotations; // by block number
    int m_annotationChars = 0;
    bool m_annotationsShown = false;
    int m_knownBlockCount = 1;
    int annotationWidth() const;
    void moveAnnotations(int position);
    static constexpr size_t MaxKeysWhileLoading = 10000;
    std::vector<std::unique_ptr<QKeyEvent>> m_keysWhileLoading;
};
