#include "editor/EditorSettings.h"

#include "base/SettingsStore.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

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
    // A description names the family and then its size; anything else is not one.
    const QStringList fields = description.split(QLatin1Char(','));
    const bool sized = fields.size() >= 2
                       && (fields.at(1).toDouble() > 0
                           || (fields.size() > 2 && fields.at(2).toInt() > 0));
    QFont font;
    if (!sized || fields.at(0).trimmed().isEmpty() || !font.fromString(description))
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
