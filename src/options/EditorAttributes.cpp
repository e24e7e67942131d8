#include "options/EditorAttributes.h"

#include "base/SettingsStore.h"

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kFormatting = QStringLiteral("useformatting");
const QString kCaseInsensitive = QStringLiteral("colorcase_insensitive");
const QString kMemberPopup = QStringLiteral("usememberpopup");
const QString kBuildWin = QStringLiteral("buildwin");
} // namespace

EditorAttributes EditorAttributes::load(const SettingsStore &store)
{
    EditorAttributes a;
    a.formatting = store.readInt(kSettings, kFormatting, 0) != 0;
    a.caseInsensitive = store.readInt(kSettings, kCaseInsensitive, 0) != 0;
    a.memberPopup = store.readInt(kSettings, kMemberPopup, 0) != 0;
    a.hideBuildWindow = store.readInt(kSettings, kBuildWin, 0) != 0;
    return a;
}

void EditorAttributes::save(SettingsStore &store) const
{
    store.writeInt(kSettings, kCaseInsensitive, caseInsensitive ? 1 : 0);
    store.writeInt(kSettings, kFormatting, formatting ? 1 : 0);
    store.writeInt(kSettings, kMemberPopup, memberPopup ? 1 : 0);
    store.writeInt(kSettings, kBuildWin, hideBuildWindow ? 1 : 0);
}

void EditorAttributes::setCaseInsensitive(bool on)
{
    caseInsensitive = on;
    if (!on)
        memberPopup = false;
}
