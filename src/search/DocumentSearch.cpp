#include "search/DocumentSearch.h"

#include "frame/FindState.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace DocumentSearch {

namespace {

Qt::CaseSensitivity sensitivity(const Options &options)
{
    return options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// A line break (block edge) counts as a non-word character.
bool isWholeWordAt(const QString &line, qsizetype at, qsizetype length)
{
    if (at > 0 && isWordChar(line.at(at - 1)))
        return false;
    const qsizetype after = at + length;
    return after >= line.size() || !isWordChar(line.at(after));
}

// First occurrence in the line starting at or after from; -1 if none.
qsizetype indexInLine(const QString &line, const QString &text, qsizetype from, const Options &o)
{
    while (from <= line.size() - text.size()) {
        const qsizetype at = line.indexOf(text, from, sensitivity(o));
        if (at < 0)
            return -1;
        if (!o.wholeWord || isWholeWordAt(line, at, text.size()))
            return at;
        from = at + 1;
    }
    return -1;
}

// Last occurrence in the line starting at or before from; -1 if none.
qsizetype lastIndexInLine(const QString &line, const QString &text, qsizetype from, const Options &o)
{
    from = std::min(from, line.size() - text.size());
    while (from >= 0) {
        const qsizetype at = line.lastIndexOf(text, from, sensitivity(o));
        if (at < 0)
            return -1;
        if (!o.wholeWord || isWholeWordAt(line, at, text.size()))
            return at;
        from = at - 1;
    }
    return -1;
}

int firstFrom(const QTextDocument &doc, const QString &text, int from, const Options &o)
{
    for (QTextBlock block = doc.findBlock(std::max(from, 0)); block.isValid();
         block = block.next()) {
        const int offset = std::max(0, from - block.position());
        const qsizetype at = indexInLine(block.text(), text, offset, o);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

// The last occurrence starting before limit.
int lastBefore(const QTextDocument &doc, const QString &text, int limit, const Options &o)
{
    if (limit <= 0)
        return -1;
    for (QTextBlock block = doc.findBlock(limit - 1); block.isValid(); block = block.previous()) {
        const int from = limit - 1 - block.position();
        const qsizetype at = lastIndexInLine(block.text(), text, from, o);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

Result make(Outcome outcome, int at, const QString &text)
{
    if (at < 0)
        return {};
    return {outcome, at, at + int(text.size())};
}

} // namespace

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'.' || c == u'_';
}

QString takeStartingText(FindState &state,
                         const QString &comboText,
                         bool comboHasSelectedText,
                         const QString &viewSelection)
{
    QString text;
    if (comboHasSelectedText || state.findTextTyped)
        text = comboText;
    else
        text = viewSelection.isEmpty() ? comboText : viewSelection;
    state.findTextTyped = 0;
    // QTextCursor::selectedText() gives paragraph separators where the lines break.
    text.removeIf([](QChar c) {
        return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator
               || c == QChar::LineSeparator;
    });
    return text;
}

Result find(const QTextDocument &document,
            const QString &text,
            int selStart,
            int selEnd,
            const Options &options,
            bool backward)
{
    if (text.isEmpty())
        return {};
    const int end = document.characterCount(); // one past the last character
    if (!backward) {
        const int at = firstFrom(document, text, selEnd, options);
        if (at >= 0)
            return make(Outcome::Found, at, text);
        return make(Outcome::Wrapped, firstFrom(document, text, 0, options), text);
    }
    const int at = lastBefore(document, text, selStart, options);
    if (at >= 0)
        return make(Outcome::Found, at, text);
    return make(Outcome::Wrapped, lastBefore(document, text, end, options), text);
}

Result replaceAndFind(QTextCursor &cursor,
                      const QString &text,
                      const QString &replaceText,
                      const Options &options)
{
    if (cursor.hasSelection())
        cursor.insertText(replaceText);
    const int from = cursor.selectionEnd();
    const Result result = find(*cursor.document(), text, from, from, options, false);
    if (result.outcome != Outcome::NotFound) {
        cursor.setPosition(result.start);
        cursor.setPosition(result.end, QTextCursor::KeepAnchor);
    }
    return result;
}

int replaceAll(QTextCursor &cursor,
               const QString &text,
               const QString &replaceText,
               const Options &options)
{
    QTextDocument *doc = cursor.document();
    if (text.isEmpty() || !doc)
        return 0;
    QTextCursor edit(doc);
    int count = 0;
    int lastStart = -1; // where the last occurrence began before anything was replaced
    edit.beginEditBlock();
    // Lines from the last to the first, and within a line from its end, so every edit lies
    // behind what is still to be done and the replace text is never searched again.
    for (QTextBlock block = doc->lastBlock(); block.isValid(); block = block.previous()) {
        const QString line = block.text();
        std::vector<qsizetype> hits;
        // The character before a match is the one the document holds once the earlier matches
        // of the line are replaced, as a search after each replacement would see it.
        QChar before;
        bool hasBefore = false;
        qsizetype copiedTo = 0;
        for (qsizetype from = 0;;) {
            const qsizetype at = line.indexOf(text, from, sensitivity(options));
            if (at < 0)
                break;
            QChar prev = before;
            bool hasPrev = hasBefore;
            if (at > copiedTo) {
                prev = line.at(at - 1);
                hasPrev = true;
            }
            const qsizetype after = at + text.size();
            const bool boundaryAfter = after >= line.size() || !isWordChar(line.at(after));
            if (options.wholeWord && !((!hasPrev || !isWordChar(prev)) && boundaryAfter)) {
                from = at + 1;
                continue;
            }
            hits.push_back(at);
            if (!replaceText.isEmpty()) {
                before = replaceText.back();
                hasBefore = true;
            } else {
                before = prev;
                hasBefore = hasPrev;
            }
            copiedTo = after;
            from = after;
        }
        for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
            const int at = block.position() + int(*it);
            edit.setPosition(at);
            edit.setPosition(at + int(text.size()), QTextCursor::KeepAnchor);
            edit.insertText(replaceText);
            if (count++ == 0)
                lastStart = at;
        }
    }
    edit.endEditBlock();
    if (count > 0) {
        // Every other replacement lies before it and moved it by the difference in length.
        const int start = lastStart + (count - 1) * int(replaceText.size() - text.size());
        cursor.setPosition(start);
        cursor.setPosition(start + int(replaceText.size()), QTextCursor::KeepAnchor);
    }
    return count;
}

} // namespace DocumentSearch
