#include "editor/TypingAids.h"

#include "base/SettingsStore.h"
#include "editor/TextTransforms.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TypingAids::TabSettings TypingAids::readTabSettings(const SettingsStore &store)
{
    TabSettings s;
    s.tabstops = store.readInt(QStringLiteral("Settings"), QStringLiteral("tabstops"), 2);
    s.tabsToSpaces = store.readInt(QStringLiteral("Settings"), QStringLiteral("tabstospaces"), 1)
                     != 0;
    return s;
}

bool TypingAids::memberPopupEnabled(const SettingsStore &store)
{
    return store.readInt(QStringLiteral("Settings"), QStringLiteral("usememberpopup"), 0) != 0;
}

bool TypingAids::isNameDelimiter(QChar c)
{
    // The tab is ours: without it nothing after a tab-indented word could be found.
    return QStringView(u"\r\n \t,;()-+[]").contains(c);
}

QString TypingAids::indentUnit(const TabSettings &settings)
{
    // A stored tab width of a million must not insert a million blanks.
    return settings.tabsToSpaces ? QString(TextTransforms::tabWidth(settings.tabstops), u' ')
                                 : QStringLiteral("\t");
}

int TypingAids::outdentCount(QStringView line, int tabstops)
{
    const int rounds = TextTransforms::tabWidth(tabstops);
    int n = 0;
    while (n < rounds && n < line.size()) {
        if (line[n] == u'\t')
            return n + 1;
        if (line[n] != u' ')
            break;
        ++n;
    }
    return n;
}

void TypingAids::tab(QTextCursor &cursor, const TabSettings &settings, bool shift)
{
    QTextDocument *doc = cursor.document();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const QTextBlock first = doc->findBlock(start);
    const QTextBlock last = doc->findBlock(end > start ? end - 1 : end);

    auto outdent = [&](const QTextBlock &block, QTextCursor &edit) {
        const int n = outdentCount(block.text(), settings.tabstops);
        if (n > 0) {
            edit.setPosition(block.position());
            edit.setPosition(block.position() + n, QTextCursor::KeepAnchor);
            edit.removeSelectedText();
        }
    };

    if (first == last) {
        if (!shift) {
            cursor.insertText(indentUnit(settings));
        } else {
            // Shift+Tab takes indentation away on one line too, never adds it.
            QTextCursor edit(doc);
            outdent(first, edit);
        }
        return;
    }

    const QString unit = indentUnit(settings);
    QTextCursor edit(doc);
    edit.beginEditBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (!shift) {
            edit.setPosition(block.position());
            edit.insertText(unit);
        } else {
            outdent(block, edit);
        }
        if (block == last)
            break;
    }
    edit.endEditBlock();

    const int blockEnd = std::min(last.position() + last.length(), doc->characterCount() - 1);
    cursor.setPosition(first.position());
    cursor.setPosition(blockEnd, QTextCursor::KeepAnchor);
}

QString TypingAids::autoIndent(QStringView lineBeforeCaret)
{
    qsizetype n = 0;
    while (n < lineBeforeCaret.size() && (lineBeforeCaret[n] == u' ' || lineBeforeCaret[n] == u'\t'))
        ++n;
    return lineBeforeCaret.left(n).toString();
}

bool TypingAids::enter(QTextCursor &cursor)
{
    const int start = cursor.selectionStart();
    const QTextBlock block = cursor.document()->findBlock(start);
    const QString indent = autoIndent(QStringView(block.text()).left(start - block.position()));
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock();
    cursor.insertText(indent);
    cursor.endEditBlock();
    return !indent.isEmpty();
}

bool TypingAids::backspaceAfterAutoIndent(QTextCursor &cursor)
{
    if (cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    const int column = cursor.position() - block.position();
    if (column > 0 && block.text().at(column - 1) == u'\t')
        return true;
    if (column > 0) {
        QTextCursor edit = cursor;
        edit.setPosition(block.position(), QTextCursor::KeepAnchor);
        edit.removeSelectedText();
    }
    return true;
}
