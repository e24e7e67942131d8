#include "build/AssemblerOptions.h"

QString AssemblerOptions::cutIncludePath(const QString &path)
{
    return cutToUtf8Bytes(path, IncludePathMaxBytes);
}

QString AssemblerOptions::cutPostBuild(const QString &text)
{
    return cutToUtf8Bytes(text, PostBuildMaxBytes);
}

QString AssemblerOptions::cutToUtf8Bytes(const QString &text, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text.at(i).unicode();
        int units = 1;
        int width = 1;
        if (c >= 0x800) {
            width = 3;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size()
                && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                units = 2;
                width = 4;
            }
        } else if (c >= 0x80) {
            width = 2;
        }
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += units;
    }
    return text.left(i);
}
