#pragma once

#include <QList>
#include <QTextLayout>

class CQvasmView;
class QTextBlock;

// What colours the editor views; the colouring engine installs one for the whole program with
// CQvasmView::setColourer(). Colours are presentation only (QTextLayout formats of the blocks),
// never edits of the text: they must not enter the undo history or mark a document modified.
// The view calls these only while the formatting flag is on and its colouring-busy flag is clear,
// except clearColours(), the whole-text reset of Refresh with formatting off.
class ViewColourer
{
public:
    virtual ~ViewColourer() = default;

    // The text changed by typing, pasting or a command (not by the view's own colouring):
    // recolour at least the caret's line.
    virtual void textChanged(CQvasmView &view, int position, int charsRemoved, int charsAdded) = 0;
    // Other blocks came into view (scroll, resize, a new text attached).
    virtual void visibleBlocksChanged(CQvasmView &view) = 0;
    // Recolour the whole text: Refresh, formatting switched on, a new font or colours. The view's
    // file kind decides whether it is coloured at all.
    virtual void colourAll(CQvasmView &view) = 0;
    // Every colour goes (formatting off): the text is shown black.
    virtual void clearColours(CQvasmView &view) = 0;
    // The colours of one block for the printout (the formats the view would draw for it, whether
    // or not the block has been on screen).
    virtual QList<QTextLayout::FormatRange> printFormats(const CQvasmView &view,
                                                         const QTextBlock &block)
        = 0;
};
