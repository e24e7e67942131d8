#pragma once

#include <QtGlobal>

#include <exception>

// A consistency failure inside the program: the handler that finds it sets the internal code
// and throws this; the application's error report shows the code and lets the user go on.
class InternalFailure : public std::exception
{
public:
    explicit InternalFailure(quint32 code)
        : m_code(code)
    {}

    quint32 code() const { return m_code; }
    const char *what() const noexcept override { return "internal failure"; }

    // Sets the program's internal code to code and throws.
    [[noreturn]] static void raise(quint32 code);

private:
    quint32 m_code;
};
