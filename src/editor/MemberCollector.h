#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

// The data of the member pop-up: which name a typed "." or "->" follows, and the members of its
// structure, found in the current document, in open include documents (their unsaved text) or
// in include files on disk. Texts are plain text with "\n" line breaks. White space in these
// rules is a blank or a tab.
//
// A structure is a header line "NAME struct" starting in the first column, then member lines
// "member byte|word|dword|fword|qword|dup ...", up to "NAME ends" or the first other line. In a
// document a line without white space inside (an empty one, say) ends it too; in a file such a
// line is passed over. A variable is declared by a line "var st TYPE".
class MemberCollector
{
public:
    enum class Kind { None, Variable, Structure };
    struct Query
    {
        Kind kind = Kind::None;
        QString name;
    };
    enum class Source { Document, File };

    // lineToCaret: the caret's line up to and including the character just typed. A "." after a
    // name asks for a variable's members, "->" after a name for a structure's; nothing inside a
    // comment (a ';' before) or a string (an odd number of ' or " before).
    static Query queryFor(QStringView lineToCaret);
    // The name that ends at line[end]: the run of non-delimiters, at most 1023 characters.
    static QString nameEndingAt(QStringView line, qsizetype end);

    static QStringList structureMembers(QStringView structure, QStringView text, Source source);
    // Declaration in declaringText, structure in structureText (of the given source).
    static QStringList variableMembers(QStringView variable,
                                       QStringView declaringText,
                                       QStringView structureText,
                                       Source structureSource);

    // File names of the text's include lines, in order ("include 'defs.inc'", "INCLUDE x.inc").
    static QStringList includeNames(QStringView text);
    // The full path of an include name: relative names are taken from the document's folder
    // (the current folder for an untitled document, documentPath empty); '\' reads as '/'.
    static QString resolveInclude(const QString &name, const QString &documentPath);

    // The text of the open document with this full path, if one is open (the editor compares
    // paths without regard to case).
    using OpenDocumentText = std::function<std::optional<QString>(const QString &fullPath)>;

    // The members for a query: the current document first, then each include line in order,
    // through its open document or else the file on disk (files that can't be read are skipped).
    // Empty when nothing is found. Nothing is cached: include files are read at every call.
    static QStringList collect(const Query &query,
                               const QString &documentText,
                               const QString &documentPath,
                               const OpenDocumentText &openDocumentText = {});
};
