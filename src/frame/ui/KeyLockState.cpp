#include "frame/ui/KeyLockState.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <dlfcn.h>

namespace {

#if QT_CONFIG(xcb)
// Read through libX11's keyboard extension, loaded at run time: Qt's X11 platform has it in the
// process already, and other platforms need not have it at all.
using Atom = unsigned long;
using XInternAtomFn = Atom (*)(Display *, const char *, int);
using XkbGetNamedIndicatorFn = int (*)(Display *, Atom, int *, int *, void *, int *);

struct XkbCalls
{
    XInternAtomFn internAtom = nullptr;
    XkbGetNamedIndicatorFn namedIndicator = nullptr;
    Atom caps = 0;
    Atom num = 0;
    bool tried = false;
};

XkbCalls &calls()
{
    static XkbCalls c;
    return c;
}

std::optional<bool> indicator(Display *display, Atom name)
{
    int index = 0;
    int state = 0;
    int real = 0;
    if (!calls().namedIndicator(display, name, &index, &state, nullptr, &real))
        return std::nullopt;
    return state != 0;
}
#endif

} // namespace

std::optional<KeyLockState> KeyLockState::query()
{
#if QT_CONFIG(xcb)
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    XkbCalls &c = calls();
    if (!c.tried) {
        c.tried = true;
        void *lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (!lib)
            lib = dlopen("libX11.so.6", RTLD_LAZY);
        if (lib) {
            c.internAtom = reinterpret_cast<XInternAtomFn>(dlsym(lib, "XInternAtom"));
            c.namedIndicator = reinterpret_cast<XkbGetNamedIndicatorFn>(
                dlsym(lib, "XkbGetNamedIndicator"));
        }
        if (c.internAtom && c.namedIndicator) {
            c.caps = c.internAtom(display, "Caps Lock", 0);
            c.num = c.internAtom(display, "Num Lock", 0);
        }
    }
    if (!c.namedIndicator || !c.caps || !c.num)
        return std::nullopt;
    const std::optional<bool> caps = indicator(display, c.caps);
    const std::optional<bool> num = indicator(display, c.num);
    if (!caps && !num)
        return std::nullopt;
    return KeyLockState{caps.value_or(false), num.value_or(false)};
#else
    return std::nullopt;
#endif
}
