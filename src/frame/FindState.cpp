#include "frame/FindState.h"

#include "base/SettingsStore.h"

namespace {
const QString kSection = QStringLiteral("FindBar");
}

void FindState::load(const SettingsStore &store, const QString &currentDirectory)
{
    findDown = store.readInt(kSection, QStringLiteral("Find Down"), 0) != 0;
    matchCase = store.readInt(kSection, QStringLiteral("Match Case"), 0) != 0;
    matchWord = store.readInt(kSection, QStringLiteral("Match Word"), 0) != 0;
    searchSubs = store.readInt(kSection, QStringLiteral("Search Subs"), 0);
    expanded = store.readInt(kSection, QStringLiteral("Expanded"), 0);
    closeOnOpen = store.readInt(kSection, QStringLiteral("Close on Open"), 0);
    types = store.readString(kSection, QStringLiteral("Types"));
    lastPath = store.readString(kSection, QStringLiteral("Last Path"), currentDirectory);
    lastFind = store.readString(kSection, QStringLiteral("Last Find"));
    lastReplace = store.readString(kSection, QStringLiteral("Last Replace"));
    findTextTyped = 0;
}

void FindState::save(SettingsStore &store) const
{
    store.writeInt(kSection, QStringLiteral("Match Case"), matchCase ? 1 : 0);
    store.writeInt(kSection, QStringLiteral("Match Word"), matchWord ? 1 : 0);
    store.writeInt(kSection, QStringLiteral("Find Down"), findDown ? 1 : 0);
    store.writeInt(kSection, QStringLiteral("Search Subs"), searchSubs);
    store.writeInt(kSection, QStringLiteral("Expanded"), expanded);
    store.writeInt(kSection, QStringLiteral("Close on Open"), closeOnOpen);
    store.writeString(kSection, QStringLiteral("Types"), types);
    store.writeString(kSection, QStringLiteral("Last Path"), lastPath);
    store.writeString(kSection, QStringLiteral("Last Find"), lastFind);
    store.writeString(kSection, QStringLiteral("Last Replace"), lastReplace);
}
