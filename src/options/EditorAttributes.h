#pragma once

class SettingsStore;

// The Attributes page's four switches (section Settings).
struct EditorAttributes
{
    bool formatting = false;      // useformatting
    bool caseInsensitive = false; // colorcase_insensitive
    bool memberPopup = false;     // usememberpopup
    bool hideBuildWindow = false; // buildwin

    static EditorAttributes load(const SettingsStore &store);
    void save(SettingsStore &store) const;

    // The member pop-up goes with case-insensitive formatting: turning that off turns it off too,
    // turning it on leaves the pop-up as it is.
    void setCaseInsensitive(bool on);
};
