#pragma once

#include <QByteArray>
#include <QString>

// The tests' stand-in tool (faketool.cpp): where it is, how to script it, and the bytes of its
// "bulk" command.
namespace FakeTool {

inline QString path()
{
    return QStringLiteral(FAKETOOL_PATH);
}

// The script the next started tool follows; the tool inherits it through the environment.
inline void script(const QByteArray &commands)
{
    qputenv("FAKETOOL_SCRIPT", commands);
}

inline QByteArray bulk(qsizetype n)
{
    QByteArray out(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype col = i % 64;
        out[i] = col == 62 ? '\r' : col == 63 ? '\n' : char('a' + (i / 64 + col) % 26);
    }
    return out;
}

} // namespace FakeTool
