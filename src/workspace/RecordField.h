#pragma once

#include <QString>

// The text fields of the workspace record and its entries: UTF-8, NUL-padded, and always ending
// in a NUL, so a field of N bytes holds at most N-1.
namespace RecordField {

QString decodeText(const char *field, int fieldSize);
// False, and the field untouched, when the text does not fit or holds a NUL.
bool encodeText(const QString &text, char *field, int fieldSize);
bool fitsField(const QString &text, int fieldSize);
// The longest leading part of text that fits the field, cut between characters.
QString fitToField(const QString &text, int fieldSize);

} // namespace RecordField
