#pragma once

#include <QString>

// Copies one file, asking first when the destination exists ("replace?", Yes/No). Returns 0
// when the user said no; 1 otherwise, also after a failed copy, which has been reported with
// "Error on copy.". The destination is replaced atomically: a failed copy leaves it as it was.
int CopyFileConfirm(const QString &source, const QString &destination);
