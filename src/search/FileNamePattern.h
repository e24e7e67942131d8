#pragma once

#include <QString>
#include <QStringList>

// The file-name side of Find in File(s): the File Types list and the wildcard match.
namespace FileNamePattern {

// "*.asm, *.inc" -> "*.asm", "*.inc". Spaces are dropped, the list is cut at ","; the patterns
// end at the first empty piece, so two commas in a row end the list and a leading comma leaves
// none.
QStringList splitTypes(const QString &types);

// "*" any run of characters, "?" any one character. Letters A to Z count as lower case unless
// matchCase is set; other characters compare as they are.
bool matches(QStringView name, QStringView pattern, bool matchCase);

// The advanced form's file-name pattern names a file, not a folder.
bool containsPath(const QString &pattern);
inline const QString kPatternHasPath = QStringLiteral(
    "'Find what:' should not contain a path.\nUse the 'In Path:' field.");

} // namespace FileNamePattern
