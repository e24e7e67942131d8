#pragma once

#include <QPlainTextDocumentLayout>

#include <memory>

class QPlainTextEdit;

// The layout of a source document, kept cheap for large files.
//
// The stock plain-text layout lays out again every block of the document whenever the width of
// its main view changes (the first show, a scroll bar appearing, every resize), which gives each
// of a large file's lines a layout object of its own: hundreds of megabytes and a long stall for
// a 10 MiB source. Here a hidden stand-in editor, attached while the document is still empty,
// holds the main-view role with a width no real view reaches, so the real views never trigger
// that pass and blocks are laid out only when they are drawn. Lines don't wrap at that width (the
// editor doesn't wrap by default); documentSize() reports the widest line laid out so far, which
// is what the horizontal scroll bar needs. Word wrap hands the main-view role back to the view.
class SourceDocumentLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    // In the GUI thread, while the document is empty.
    explicit SourceDocumentLayout(QTextDocument *document);
    ~SourceDocumentLayout() override;

    // An empty source document with this layout, the font and the tab stop distance.
    static QTextDocument *createDocument(const QFont &font,
                                         qreal tabStopDistance,
                                         QObject *parent = nullptr);

    // Wrapping follows the width of the view: it takes the main-view role back from the
    // stand-in (every block is laid out once more). Turning wrapping off gives it to a new
    // stand-in. view is the real editor of the document.
    void setViewWraps(bool wraps);
    bool standInHoldsMainView() const { return m_standIn != nullptr; }

    // Lines longer than this (in characters, with the block's end) keep their shaped text
    // between layouts.
    static constexpr int LongLine = 16384;

    QSizeF documentSize() const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    static void keepShapes(const QTextBlock &block);
    void installStandIn();
    void releaseStandIn();

    std::unique_ptr<QPlainTextEdit> m_standIn;
    mutable qreal m_widest = 0;
    int m_blockCount = 1;
};
