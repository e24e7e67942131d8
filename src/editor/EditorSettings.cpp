#include "editor/EditorSettings.h"

#include "app/SettingsStore.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kFont = QStringLiteral("Font");
const QString kTabStops = QStringLiteral("tabstops");
} // namespace

QFont EditorSettings::defaultFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont EditorSettings::font(const SettingsStore &settings)
{
    const QString description = settings.readString(kSettings, kFont);
    QFont font;
    if (description.isEmpty() || !font.fromString(description) || font.family().isEmpty())
        return defaultFont();
    return font;
}

void EditorSettings::storeFont(SettingsStore &settings, const QFont &font)
{
    settings.writeString(kSettings, kFont, font.toString());
}

int EditorSettings::tabStops(const SettingsStore &settings)
{
    return std::clamp(settings.readInt(kSettings, kTabStops, DefaultTabStops), 1, MaxTabStops);
}

qreal EditorSettings::tabStopDistance(const QFont &font, int tabStops)
{
    return QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '))
           * std::clamp(tabStops, 1, MaxTabStops);
}
