#pragma once

#include <QFont>

class SettingsStore;

// The editor's shared settings: the font (Settings/Font, the font's description string) and the
// tab width (Settings/tabstops, in characters). Every editor view reads them when it is set up.
class EditorSettings
{
public:
    static constexpr int DefaultTabStops = 2;
    static constexpr int MaxTabStops = 16;

    // The system's fixed-pitch font: what a missing or unreadable Font setting means.
    static QFont defaultFont();
    static QFont font(const SettingsStore &settings);
    static void storeFont(SettingsStore &settings, const QFont &font);

    // Settings/tabstops clamped to 1..16 (a nonsense value of 0 or less reads as 1).
    static int tabStops(const SettingsStore &settings);
    // The tab stop distance in pixels: tabStops character cells of the font (120 twips per cell).
    static qreal tabStopDistance(const QFont &font, int tabStops);
};
