#pragma once

#include <optional>

// Whether Caps Lock and Num Lock are on, read from the window system when it can tell (X11);
// nothing when it cannot, in which case the status line leaves CAP and NUM blank.
struct KeyLockState
{
    bool capsLock = false;
    bool numLock = false;

    static std::optional<KeyLockState> query();
};
