#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

enum class TextEncoding { Utf8, Windows1252 };
enum class LineEnding { CrLf, Lf };

// How a source file's text is laid out as bytes; kept with the document from open to save.
struct SourceFileFormat
{
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf; // new files and program-written text use CR LF
    bool utf8Bom = false;

    friend bool operator==(const SourceFileFormat &, const SourceFileFormat &) = default;
};

// Source files are bytes. decode() reads them as UTF-8 when they are valid UTF-8, else as
// Windows-1252 (its five undefined bytes as the Latin-1 characters of the same value), so every
// byte, NUL included, maps to one character and back. Line breaks in the decoded text are "\n";
// the file's style (taken from its first line break, CR LF when it has none) is restored by
// encode(), so an unedited file encodes to the bytes it was read from. A file mixing styles is
// written in the style of its first break; a lone CR is an ordinary character here.
class SourceFileCodec
{
public:
    struct Decoded
    {
        QString text;
        SourceFileFormat format;
    };
    struct ReadResult
    {
        bool ok = false;
        QString text;
        SourceFileFormat format;
        QString errorString;
    };

    static Decoded decode(const QByteArray &bytes);
    // Characters the encoding can't hold must not reach this: see formatForSaving().
    static QByteArray encode(const QString &text, const SourceFileFormat &format);

    static bool canEncode(const QString &text, TextEncoding encoding);
    // The format to save text in: format itself, or UTF-8 with the same line ends when the text
    // now holds a character that Windows-1252 can't, so nothing typed is ever lost.
    static SourceFileFormat formatForSaving(const QString &text, const SourceFileFormat &format);

    static ReadResult readFile(const QString &filePath);
    // Encodes (switching to UTF-8 as formatForSaving() says) and replaces the file atomically;
    // on failure the old file is whole. usedFormat, when given, receives the format written.
    static bool writeFile(const QString &filePath,
                          const QString &text,
                          const SourceFileFormat &format,
                          QString *errorString = nullptr,
                          SourceFileFormat *usedFormat = nullptr);

    // The text of an editor's document in the form encode() takes. Use this rather than
    // toPlainText(), which turns every no-break space (A0h) into a blank. A lone CR does not
    // survive the document: inserting text makes it a line break, as it does CR LF.
    static QString documentText(const QTextDocument &document);

    // Saving ends a file with a line break after its last non-blank line: true when the text
    // after the last "\n" holds anything but white space.
    static bool needsFinalLineBreak(const QString &text);

    static bool isValidUtf8(const char *data, qsizetype size);
};
