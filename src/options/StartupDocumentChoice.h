#pragma once

class SettingsStore;

// The Document page: what start-up opens, the last workspace (loadws) or an empty template
// (empty). The two exclude each other, so at most one is ever on.
struct StartupDocumentChoice
{
    bool loadWorkspace = false;
    bool emptyTemplate = false;

    // Both set, or neither, reads as neither.
    static StartupDocumentChoice load(const SettingsStore &store);
    void save(SettingsStore &store) const;

    // A box can be ticked only while the other is clear.
    bool loadWorkspaceEnabled() const { return !emptyTemplate; }
    bool emptyTemplateEnabled() const { return !loadWorkspace; }
};
