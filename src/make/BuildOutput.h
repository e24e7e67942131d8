#pragma once

#include "base/Prompts.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The Build Window's reading of an assembler capture, without any widget: the listed lines, the
// three trailer numbers, and the rules the dialog applies to a selected line (enabling, double-
// click, Go To, Error Info). Parsing is one pass that records where each line lies; the text of a
// line is decoded only when asked for, so a list of 100,000 lines costs one small record each
// and a model can show it lazily.
//
// Expected capture: two leading bytes (CR LF), then the listed lines up to the first line of two
// characters or fewer, then three trailer lines "label: number" (symbol space free, total errors,
// total diagnostics). Lines end in CR LF; a lone CR or LF also ends a line. Reading stops at the
// first NUL byte and never goes past the end, whatever the capture holds.
struct ErrorLocation
{
    QString file; // as the assembler wrote it, normally a full path
    int line = 0; // 1-based as written; 0 when the line gave none
};

struct ErrorInfoMessage
{
    QString text;
    PromptIcon icon = PromptIcon::None;
};

class BuildOutput
{
public:
    BuildOutput() = default;
    // Shares the bytes (no copy); the object stays valid whatever happens to the caller's array.
    static BuildOutput parse(const QByteArray &capture);

    // The capture's length re-derived as the bytes before its first NUL.
    qsizetype length() const { return m_length; }

    int count() const { return int(m_lines.size()); }
    QByteArrayView entryBytes(int row) const;
    QString entry(int row) const;

    quint32 symbolSpaceFree() const { return m_symbolSpaceFree; }
    quint32 totalErrors() const { return m_totalErrors; }
    quint32 totalDiagnostics() const { return m_totalDiagnostics; }

    // The row to select when the window opens: the kept selection, or for -1 the last row (the
    // main line above it when it is a continuation line); -1 (nothing selected) when that row
    // does not exist.
    int rowToSelect(int keptSelection) const;

    // Per-row rules; a row out of range gives the "nothing" answer.
    bool canGoTo(int row) const;        // "Go To" and "Error Info" enabled
    bool isContinuation(int row) const; // a double-click shows ContinuationLineMessage
    std::optional<ErrorLocation> goToTarget(int row) const;
    std::optional<ErrorInfoMessage> errorInfo(int row) const;

    // The same rules on a line's bytes.
    static bool canGoTo(QByteArrayView entry);
    static bool isContinuation(QByteArrayView entry);
    // Empty when the line has no "):  " marker or names no file.
    static std::optional<ErrorLocation> goToTarget(QByteArrayView entry);
    // Nothing to show when the code after the marker is cut short or lacks its 'h'.
    static std::optional<ErrorInfoMessage> errorInfo(QByteArrayView entry);
    // The code Error Info explains for the two characters after the marker: upper-case hex
    // 01..99h as written, anything else 153.
    static int errorCode(char high, char low);

    // The Return Code box: the last exit code as "%.2Xh".
    static QString returnCodeText(quint32 exitCode);

    static inline const QString ContinuationLineMessage = QStringLiteral(
        "Use Main Error line for this error");

private:
    struct Span
    {
        qsizetype offset;
        qsizetype length;
    };

    QByteArray m_bytes;
    qsizetype m_length = 0;
    std::vector<Span> m_lines;
    quint32 m_symbolSpaceFree = 0;
    quint32 m_totalErrors = 0;
    quint32 m_totalDiagnostics = 0;
};
