#pragma once

#include "editor/KeywordIndex.h"
#include "editor/SyntaxColours.h"
#include "editor/SyntaxScanner.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/ViewColourer.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>

#include <array>

class CMainFrame;
class QTextDocument;

// The colouring engine of the editor views, one per main frame; it installs itself as the views'
// colourer while it lives.
//
// Colours are laid over each block as QTextLayout formats (as QSyntaxHighlighter does it), never
// written into the text, so colouring can't enter the undo history, mark a document modified or
// move the selection or the scroll position.
//
// Colouring is lazy: every block keeps the scan state at its end in QTextBlock::userState(), and
// a document remembers how far from the top those states are known to be right. Only blocks that
// come into view are given formats; the blocks above them are scanned for their states alone.
// After an edit the changed blocks are scanned again and the change of state is carried on until
// it dies out (a string or a comment block opened or closed on the line), a few hundred blocks
// at most at once; the rest follows as it comes into view. So a block looks exactly as a scan of
// the whole text colours it, and a 10 MiB source opens as fast with colouring as without.
class CSyntaxColorer : public QObject, public ViewColourer
{
    Q_OBJECT

public:
    explicit CSyntaxColorer(CMainFrame *frame);
    ~CSyntaxColorer() override;

    // The colourer the views use, if it is one of these: one per program, since the keyword
    // list and the colours are the program's and every editor shows them alike.
    static CSyntaxColorer *instance();

    // Keywords and colours ----------------------------------------------------------------------
    const KeywordIndex &keywords() const { return m_keywords; }
    // Adds comma-separated keywords of a category (later definitions win).
    int AddKeywords(QStringView text, int category);
    // The user keyword file of the program folder, every entry a directive; -1 when there is
    // none (no error).
    int addUserKeywordFile(const QString &programFolder);
    const SyntaxColours &colours() const { return m_colours; }
    // The six colours. Open views keep their colours until they are refreshed.
    void setColours(const SyntaxColours &colours);
    // The colours page's OK: the six colours, then every open view refreshed.
    void applyColours(const SyntaxColours &colours);
    // The six colours as start-up reads them from the settings.
    void loadColours(const SettingsStore &store);

    // The spans a whole-text scan gives, for tests and the benchmark.
    QList<SyntaxSpan> scanText(QStringView text) const { return m_scanner.scanRange(text); }

    // ViewColourer -------------------------------------------------------------------------------
    void textChanged(CQvasmView &view, int position, int charsRemoved, int charsAdded) override;
    void visibleBlocksChanged(CQvasmView &view) override;
    void colourAll(CQvasmView &view) override;
    void clearColours(CQvasmView &view) override;
    QList<QTextLayout::FormatRange> printFormats(const CQvasmView &view,
                                                 const QTextBlock &block) override;

private:
    struct DocumentState
    {
        int trusted = 0;     // blocks [0, trusted) hold the right end state
        int blockCount = -1; // as of the last change seen
        bool visiblePassQueued = false;
        QPointer<CQvasmView> view; // the document's view, once it asked for colours
    };

    DocumentState &stateOf(QTextDocument *document);
    // The view's document state, with the view as the one that reports its changes and watched.
    DocumentState &attach(CQvasmView &view);
    // Also follows the view's own scrolling (a jump to a line scrolls without the view telling).
    void watch(CQvasmView &view);
    bool mayColour(const CQvasmView &view) const;
    void noteChange(QTextDocument *document, int position);
    // Scans blocks [trusted, upTo] for their states; blocks with formats, and those in
    // [showFrom, showTo], get their formats.
    void ensureStates(
        QTextDocument *document, DocumentState &state, int upTo, int showFrom, int showTo);
    void colourVisible(CQvasmView &view);
    void queueVisiblePass(CQvasmView &view);
    // Scans one block from the state of the block before it; stores its end state.
    SyntaxLineState scanBlock(const QTextBlock &block, QList<SyntaxSpan> &spans) const;
    void applyFormats(QTextDocument *document,
                      const QTextBlock &block,
                      const QList<SyntaxSpan> &spans);
    void clearAll(QTextDocument *document);
    QList<QTextLayout::FormatRange> ranges(const QList<SyntaxSpan> &spans) const;
    void rebuildFormats();

    KeywordIndex m_keywords;
    SyntaxScanner m_scanner;
    SyntaxColours m_colours;
    std::array<QTextCharFormat, 6> m_formats;
    QHash<const QTextDocument *, DocumentState> m_documents;
    QList<SyntaxSpan> m_spans; // reused scratch list
    int m_applying = 0;
};
