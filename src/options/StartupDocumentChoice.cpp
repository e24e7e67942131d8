#include "options/StartupDocumentChoice.h"

#include "base/SettingsStore.h"

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kLoadWs = QStringLiteral("loadws");
const QString kEmpty = QStringLiteral("empty");
} // namespace

StartupDocumentChoice StartupDocumentChoice::load(const SettingsStore &store)
{
    const bool loadws = store.readInt(kSettings, kLoadWs, 0) != 0;
    const bool empty = store.readInt(kSettings, kEmpty, 0) != 0;
    StartupDocumentChoice c;
    c.loadWorkspace = loadws && !empty;
    c.emptyTemplate = empty && !loadws;
    return c;
}

void StartupDocumentChoice::save(SettingsStore &store) const
{
    store.writeInt(kSettings, kLoadWs, loadWorkspace ? 1 : 0);
    store.writeInt(kSettings, kEmpty, emptyTemplate ? 1 : 0);
}
