#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The output pane's append rule as text arithmetic: a writer passes a text and a length, and the
// pane keeps the first length - 1 characters without their leading white space (blanks, tabs,
// CR, LF). Fixed texts therefore end in "\r\n " and the capture is passed with its length minus
// one, which drops the tool's final CR LF. The results use '\n' line ends, ready for a text
// widget.
class OutputPaneText
{
public:
    // Append(text, length); nothing for a length of 1 or less.
    static QString appendPart(QStringView text, qsizetype length);
    // The captured bytes as Assemble and Build show them: without the leading white space and
    // the final line break, decoded (UTF-8, else Windows-1252 byte by byte).
    static QString captureText(QByteArrayView capture, qsizetype captureLength);

    // What a line of the pane is, for its colour: the first line and the writers' headings are
    // banners; then the assembler's error and diagnostic lines; then any other file(line) line
    // (a search hit).
    enum class LineKind {
        Plain,
        Banner,
        Error,
        Diagnostic,
        Hit,
    };
    static LineKind lineKind(QStringView line, int row);
};
