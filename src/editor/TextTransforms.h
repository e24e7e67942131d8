#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

class SettingsStore;

// The text commands of the editor as functions on text: the view takes the selection (or the
// whole text), calls one of these and puts the result back. Line breaks are "\n", as
// QTextDocument::toPlainText() gives them.
class TextTransforms
{
public:
    // The tab width the commands use: the `tabstops` value, at most 16; 0 for 0 or less.
    static int tabWidth(int tabstops);

    // Upper or lower case of every letter; the length never changes, so the same range can be
    // selected again afterwards.
    static QString toUpper(QStringView text);
    static QString toLower(QStringView text);

    // Every tab becomes tabWidth() blanks, whatever its column. A width of 0 changes nothing
    // (it would only delete the tabs).
    static QString untabify(QStringView text, int tabstops);
    // Every run of exactly tabWidth() blanks, left to right without overlap and without regard
    // to columns, becomes one tab: with 2, five blanks become two tabs and a blank. 0 changes
    // nothing.
    static QString tabify(QStringView text, int tabstops);

    // How many blanks (not tabs) to cut from the end of a line (no line break in it): 0 when
    // there are none or the line is made of blanks only, which is left as it is.
    static int trailingBlanks(QStringView line);
    // The whole text with trailingBlanks() cut from every line; changedLines counts the lines
    // that changed.
    static QString cleanTrailingBlanks(QStringView text, int *changedLines = nullptr);

    // A file's bytes as `db` lines, 16 bytes a line, each followed by "\n": "  db  ", a field
    // of five characters per byte ("  41h" below 0xA0, " 0FFh" from 0xA0) followed by a comma,
    // or a blank after the line's last byte, six blanks for each missing byte of a short last
    // line, " ;  ", then the bytes as characters (0x20..0x7E as themselves, any other byte as
    // the middle dot U+00B7). Nothing for no bytes.
    static QString hexDump(QByteArrayView bytes);
    static QString hexDumpLine(QByteArrayView chunk); // 1 to 16 bytes, no line break

    // The comment block command.
    static QString commentBlockTemplate();    // inserted when nothing is selected
    static QString commentCloserCandidates(); // "~`_!@#$%^&{}=*/<>-+", tried in this order
    struct CommentBlock
    {
        bool ok = false;
        QChar closer;
        QString opening; // "comment ~ \n", inserted before the selection
        QString closing; // "\n~\n", inserted after it
        QString message; // when !ok: every candidate occurs in the selection
    };
    static CommentBlock commentBlock(QStringView selection);

    // The stored signature (`sig`, default "Your sig goes here") and storing a new one.
    static QString signature(const SettingsStore &store);
    static void storeSignature(SettingsStore &store, const QString &text);
};
