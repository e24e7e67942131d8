#pragma once

#include "editor/LineMarks.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class BuildOutput;

// One error or diagnostic of an assembler run, at its place in a source file.
struct ErrorAnchor
{
    QString file; // absolute
    int line = 0; // 1-based, as the run reported it until an editor says where it moved
    LineMark::Kind kind = LineMark::Kind::Error;
    int code = 0;        // as Error Info reads it (an unknown code is the fallback's)
    QString message;     // the tool's words after the code, with its continuation lines
    QString explanation; // what Error Info shows for the line
    bool gone = false;   // its line was deleted

    // "error 21h: Symbol not defined:  msg", then the explanation.
    QString toolTip() const;
    // The status line's text when the caret is taken to it.
    QString statusText(int position, int count) const;
};

// The errors of the last run, anchored in their files: the marks an editor of each file shows,
// and Next / Previous Error over them (file by file in the order the run named them, by line
// within a file, wrapping round).
class ErrorAnchors
{
public:
    ErrorAnchors() = default;
    // Every main line of the output that names a file and a line above 0; continuation lines
    // join the message of the line above.
    static ErrorAnchors fromOutput(const BuildOutput &output);

    const std::vector<ErrorAnchor> &anchors() const { return m_anchors; }
    // Anchors whose lines still exist.
    int count() const;
    bool isEmpty() const { return count() == 0; }
    // The files, in the order the run first named them.
    QStringList files() const;

    // The marks for one file's editor; each mark's id is its anchor's index.
    QList<LineMark> marksFor(const QString &file) const;
    // What an editor of the file says now: each mark's line is where its anchor went, and an
    // anchor of the file without a mark lost its line.
    void takeMarks(const QString &file, const QList<LineMark> &marks);

    // The anchor Next (forward) or Previous Error goes to from the caret's line in a file (an
    // empty file or one without errors: before the first anchor). Repeated on the line it went
    // to, it steps on from that anchor, so several errors of one line are visited in turn. -1
    // when there is none.
    int step(const QString &file, int line, bool forward);
    // Where an anchor stands in that order, from 1; 0 for one that is gone.
    int positionOf(int index) const;

    // Whether two paths name the same file (the same path, or the same file behind links).
    static bool sameFile(const QString &a, const QString &b);

private:
    // The anchors in visiting order (indexes of the ones that still exist).
    std::vector<int> order() const;
    QStringList fileOrder() const;

    std::vector<ErrorAnchor> m_anchors;
    int m_lastVisited = -1;
};
