#pragma once

#include <QString>

class SettingsStore;

// The eleven hints of the Tip of the Day box and the position in them, kept across uses in
// Settings/tip_num (the next tip to show) and the start-up wish in Settings/tips.
class TipOfTheDay
{
public:
    static constexpr int TipCount = 11;

    static QString tip(int index); // empty outside 0..10
    // A stored position past the last tip, or below 0, starts again at the first.
    static int tipIndex(int stored);
    // The tip to show now; the stored position moves on by one.
    static QString nextTip(SettingsStore &store);

    static bool showAtStartup(const SettingsStore &store);
    static void setShowAtStartup(SettingsStore &store, bool on);
};
