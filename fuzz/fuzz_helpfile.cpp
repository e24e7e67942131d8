// The help-file reader: the input is the file; its own words are looked up, and the word under
// every column of its first line is taken.

#include "FuzzSupport.h"
#include "editor/HelpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = fuzz::bytes(data, size);
    const HelpFile help = HelpFile::fromContent(content);
    const QString text = QString::fromLatin1(content);
    const qsizetype lineEnd = text.indexOf(u'\n');
    const QStringView line = QStringView(text).left(lineEnd < 0 ? text.size() : lineEnd);
    for (qsizetype column = -1; column <= line.size() + 1; ++column) {
        const QString word = HelpFile::wordAt(line, column);
        if (word.size() > 250)
            fuzz::fail("a word longer than 250 characters");
        if (column % 7 == 0) {
            if (const auto entry = help.entry(word);
                entry && entry->size() > HelpFile::MaxEntryChars + 3)
                fuzz::fail("an entry longer than the limit");
        }
    }
    (void) help.entry(line);
    (void) help.popupText(line.left(40));
    return 0;
}
