#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class SettingsStore;

// The General page of View > Properties: the facts shown about a document and the tab width
// with its check.
namespace DocumentProperties {
inline constexpr int MinTabs = 1;
inline constexpr int MaxTabs = 16;

// The path, or the title of a document that has none.
QString fileNameText(const QString &path, const QString &title);
QString sizeText(qint64 characters, qint64 lines);
// The file's last change, "Monday 05 Jan 2026 at 14:03:09"; empty without a file. A document
// with unsaved changes adds " (modified)".
QString savedText(const QString &path, bool modified);
QString timeText(const QDateTime &time);

// The width a tab stop distance stands for, in whole characters of the given width.
int tabsFromDistance(qreal distance, qreal characterWidth);
// A whole number from 1 to 16, else nothing.
std::optional<int> parseTabs(const QString &text);
inline const QString TabsRefused = QStringLiteral("Please enter an integer between 1 and 16.");

bool tabsToSpaces(const SettingsStore &store); // default on
void save(SettingsStore &store, int tabs, bool tabsToSpaces);
} // namespace DocumentProperties
