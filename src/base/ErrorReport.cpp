#include "base/ErrorReport.h"

#include "base/AppInfo.h"

#include <cxxabi.h>
#include <typeinfo>

#include <cstdlib>

namespace {
QString hex(quint32 value, int width)
{
    return QLatin1String("0x")
           + QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}
} // namespace

QString ErrorReport::text() const
{
    QString t = QStringLiteral("An unhandled/internal error occurred in your program.\n\n");
    t += QStringLiteral("type\t%1\n").arg(typeName);
    t += QStringLiteral("HWND\t") + hex(window, 4);
    t += QStringLiteral("\nmsg\t") + hex(message, 4);
    t += QStringLiteral("\nwParam\t") + hex(wParam, 8);
    t += QStringLiteral("\nlParam\t") + hex(lParam, 8);
    t += QStringLiteral("\nInternal\t") + hex(internalCode, 8);
    t += QStringLiteral("\nVersion\t") + QLatin1String(AppInfo::Version);
    t += QStringLiteral("\n\nPlease send the above information to the author.");
    t += QStringLiteral("\n         See the documentation on how to contact the author.");
    t += QStringLiteral("\n\nSelect:\n\tAbort \tto terminate the program;");
    t += QStringLiteral("\n\tRetry \tto let MFC handle the error; or");
    t += QStringLiteral("\n\tIgnore \tto ignore it and continue.");
    t += QStringLiteral("\n\nAfter this dialog, you'll have a chance to save modified documents.");
    return t;
}

QString ErrorReport::exceptionTypeName(std::exception_ptr e)
{
    // The type of the exception in flight, read while it is rethrown and caught.
    const std::type_info *type = nullptr;
    try {
        std::rethrow_exception(e);
    } catch (...) {
        type = abi::__cxa_current_exception_type();
    }
    if (!type)
        return QStringLiteral("unknown");
    int status = 0;
    char *demangled = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : type->name());
    std::free(demangled);
    return name;
}
