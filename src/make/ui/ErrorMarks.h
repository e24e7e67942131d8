#pragma once

#include "make/ErrorAnchors.h"
#include "make/ListingMap.h"
#include "make/ui/SourceNavigator.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CMainFrame;
class CQvasmView;

// The errors of the frame's last assembler run, marked in the editors of their files (those
// open now, and the others as they open), and Next / Previous Error (F4 / Shift+F4) over them.
// Also the last listing's offsets and bytes beside each line (View > Listing Gutter).
// The editors keep the marks on their lines as the text changes; this takes the lines back
// from them before it steps, so it never goes to a line that moved.
class ErrorMarks : public QObject
{
    Q_OBJECT

public:
    ErrorMarks(CMainFrame *frame, SourceNavigator navigator);

    // A run's captured output replaces the marks of the run before.
    void takeRun(const QByteArray &output);
    const ErrorAnchors &anchors();
    // Next (forward) or Previous Error: opens its file, puts the caret at the start of its line
    // and says the message in the status line. False when there is none to go to.
    bool step(bool forward);
    // A listing replaces the one before, in the editors of the files it lists.
    void takeListing(const ListingMap &listing);
    bool listingShown() const { return m_listingShown; }
    void setListingShown(bool on);

private:
    void markViews();
    void collect();
    QList<CQvasmView *> views() const;

    QPointer<CMainFrame> m_frame;
    SourceNavigator m_navigator;
    ErrorAnchors m_anchors;
    int m_run = 0;
    QString m_stepText; // the "Error N of M" line F4 last put in the status line
    ListingMap m_listing;
    int m_listingRun = 0;
    bool m_listingShown = false;
};
