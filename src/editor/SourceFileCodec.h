#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

#include <vector>

enum class TextEncoding { Utf8, Windows1252 };
enum class LineEnding { CrLf, Lf, Cr };

// A line whose break is not the file's style: the line's index (from 0) and its own break.
struct LineBreak
{
    qsizetype line = 0;
    LineEnding ending = LineEnding::CrLf;

    friend bool operator==(const LineBreak &, const LineBreak &) = default;
};
using LineBreaks = std::vector<LineBreak>; // ascending by line

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
// byte, NUL included, maps to one character and back. CR LF, LF and a lone CR each end a line;
// in the decoded text every line break is "\n". The file's style is its first line break (CR LF
// when it has none); the lines whose break differs are listed in otherBreaks, and encode() puts
// each line's own break back, so an unedited file encodes to the bytes it was read from, mixed
// line ends included. Lines added later take the file's style.
class SourceFileCodec
{
public:
    struct Decoded
    {
        QString text;
        SourceFileFormat format;
        LineBreaks otherBreaks;
    };
    struct ReadResult
    {
        bool ok = false;
        QString text;
        SourceFileFormat format;
        LineBreaks otherBreaks;
        QString errorString;
    };

    static Decoded decode(const QByteArray &bytes);
    // Characters the encoding can't hold must not reach this: see formatForSaving().
    static QByteArray encode(const QString &text,
                             const SourceFileFormat &format,
                             const LineBreaks &otherBreaks = {});

    static bool canEncode(const QString &text, TextEncoding encoding);
    // The distinct characters of text that encoding cannot hold, in order of first appearance,
    // at most limit of them; empty when it holds them all.
    static QString charactersNotIn(const QString &text, TextEncoding encoding, int limit = 20);
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
                          SourceFileFormat *usedFormat = nullptr,
                          const LineBreaks &otherBreaks = {});

    // The text of an editor's document in the form encode() takes. Use this rather than
    // toPlainText(), which turns every no-break space (A0h) into a blank.
    static QString documentText(const QTextDocument &document);

    // The breaks that differ from the file's style travel with their lines in an editor's
    // document (block user data), so lines inserted or removed above them do not move them.
    static void attachLineBreaks(QTextDocument &document, const LineBreaks &breaks);
    static LineBreaks attachedLineBreaks(const QTextDocument &document);

    // Saving ends a file with a line break after its last non-blank line: true when the text
    // after the last "\n" holds anything but white space.
    static bool needsFinalLineBreak(const QString &text);

    static bool isValidUtf8(const char *data, qsizetype size);
};
