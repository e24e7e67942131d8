#pragma once

#include <QString>

#include <exception>

// The text of the report shown for an exception that escaped a handler, and what the user chose.
struct ErrorReport
{
    // What was being handled when it escaped; numbers as the report prints them.
    QString typeName;    // run-time class name of the exception
    quint32 window = 0;  // native id of the receiving window, 0 when it has none
    quint32 message = 0; // the event type, or 0x0111 for a command
    quint32 wParam = 0;  // the command id for a command
    quint32 lParam = 0;
    quint32 internalCode = 0;

    enum class Choice { Abort, Retry, Ignore };

    QString text() const;

    // Demangled class name of the exception inside e ("unknown" for non-class types).
    static QString exceptionTypeName(std::exception_ptr e);
};
