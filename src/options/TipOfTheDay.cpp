#include "options/TipOfTheDay.h"

#include "base/SettingsStore.h"

#include <array>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kTipNum = QStringLiteral("tip_num");
const QString kTips = QStringLiteral("tips");

const std::array<const char *, TipOfTheDay::TipCount> kTipTexts = {
    "This is a 'tip of the day'.\r\n\r\nSimply press the NEXT button for the next tip, or the "
    "close button to exit.\r\n\r\nIf you do not want this dialog to show, clear the check mark "
    "below.",
    "When creating a new file, hold the Left Shift Key to skip the'new file type' dialog, and "
    "create a .asm file.",
    "When creating a new file, hold the Left Ctrl Key to skip the'new file type' dialog, and "
    "create a .inc file.",
    "To move from file to file within the editor, hold down the ctrl key and press the tab key.  "
    "This will move forward.",
    "To move from file to file within the editor, hold down the shift button,the ctrl button, and "
    "press the tab key.  This will move backward.",
    "When inserting your signature text, hold down the shift key while clickingthe sig toolbar "
    "button or menu item to skip the 'enter signature' dialog.",
    "Shift Right click on an instruction or directive for a popup help window on that item.",
    "Holding down the Ctrl Key when assembling/building a project will create a list file even if "
    "the 'create list file' check box is cleared.",
    "When a file name and line number is listed in the view toolbar at the bottom, whether it be a "
    "find list or a build list, double click on that line and the IDE will display that file and "
    "place the cursor on that line.",
    "If the syntax coloring gets distorted or irregular, press the F5 key to restore.",
    "This is the last tip page.  The next tip will start from the first again.",
};
} // namespace

QString TipOfTheDay::tip(int index)
{
    if (index < 0 || index >= TipCount)
        return QString();
    return QString::fromLatin1(kTipTexts[size_t(index)]);
}

int TipOfTheDay::tipIndex(int stored)
{
    return stored < 0 || stored >= TipCount ? 0 : stored;
}

QString TipOfTheDay::nextTip(SettingsStore &store)
{
    const int n = tipIndex(store.readInt(kSettings, kTipNum, 0));
    store.writeInt(kSettings, kTipNum, n + 1);
    return tip(n);
}

bool TipOfTheDay::showAtStartup(const SettingsStore &store)
{
    return store.readInt(kSettings, kTips, 0) != 0;
}

void TipOfTheDay::setShowAtStartup(SettingsStore &store, bool on)
{
    store.writeInt(kSettings, kTips, on ? 1 : 0);
}
