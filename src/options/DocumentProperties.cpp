#include "options/DocumentProperties.h"

#include "base/SettingsStore.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
const QString kSettings = QStringLiteral("Settings");
} // namespace

QString DocumentProperties::fileNameText(const QString &path, const QString &title)
{
    return path.isEmpty() ? title : path;
}

QString DocumentProperties::sizeText(qint64 characters, qint64 lines)
{
    return QStringLiteral("%1 Bytes (%2 lines)").arg(characters).arg(lines);
}

QString DocumentProperties::timeText(const QDateTime &time)
{
    // The same words whatever the user's language, as the rest of the program's texts.
    return QLocale::c().toString(time, QStringLiteral("dddd dd MMM yyyy 'at' HH:mm:ss"));
}

QString DocumentProperties::savedText(const QString &path, bool modified)
{
    QString text;
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.exists())
            text = timeText(info.lastModified());
    }
    if (modified)
        text += QStringLiteral(" (modified)");
    return text;
}

int DocumentProperties::tabsFromDistance(qreal distance, qreal characterWidth)
{
    if (characterWidth <= 0 || distance <= 0)
        return MinTabs;
    // A rounding error must not lose a whole character: 2.9999 cells are 3.
    return std::max(0, int(std::floor(distance / characterWidth + 1e-6)));
}

std::optional<int> DocumentProperties::parseTabs(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < MinTabs || value > MaxTabs)
        return std::nullopt;
    return value;
}

bool DocumentProperties::tabsToSpaces(const SettingsStore &store)
{
    return store.readInt(kSettings, QStringLiteral("tabstospaces"), 1) != 0;
}

void DocumentProperties::save(SettingsStore &store, int tabs, bool tabsToSpaces)
{
    store.writeInt(kSettings, QStringLiteral("tabstops"), std::clamp(tabs, MinTabs, MaxTabs));
    store.writeInt(kSettings, QStringLiteral("tabstospaces"), tabsToSpaces ? 1 : 0);
}
