#include "options/ColoursPageModel.h"

#include <algorithm>
#include <array>

namespace {
// Sorted by name, as the list shows them.
constexpr std::array<SyntaxColours::Colour, SyntaxColours::ColourCount> kRows = {
    SyntaxColours::Comments,
    SyntaxColours::Directives,
    SyntaxColours::Instructions,
    SyntaxColours::Registers,
    SyntaxColours::Strings,
    SyntaxColours::Symbols,
};
} // namespace

QStringList ColoursPageModel::categoryNames()
{
    return {QStringLiteral("Comments"),
            QStringLiteral("Directives"),
            QStringLiteral("Instructions"),
            QStringLiteral("Registers"),
            QStringLiteral("Strings"),
            QStringLiteral("Symbols")};
}

SyntaxColours::Colour ColoursPageModel::categoryAt(int row)
{
    return kRows[size_t(std::clamp(row, 0, int(kRows.size()) - 1))];
}

ColoursPageModel::ColoursPageModel(const SyntaxColours &colours)
    : m_colours(colours)
{}

void ColoursPageModel::selectCategory(int row)
{
    m_category = std::clamp(row, 0, int(kRows.size()) - 1);
}

int ColoursPageModel::index() const
{
    return m_colours.index(categoryAt(m_category));
}

QColor ColoursPageModel::colour() const
{
    return m_colours.colour(categoryAt(m_category));
}

bool ColoursPageModel::choose(int tableIndex,
                              const std::function<std::optional<QColor>()> &askCustom)
{
    if (tableIndex < 0 || tableIndex >= SyntaxColours::StandardCount)
        return false;
    QColor chosen;
    if (tableIndex == SyntaxColours::CustomIndex) {
        const std::optional<QColor> custom = askCustom ? askCustom() : std::nullopt;
        if (!custom || !custom->isValid())
            return false;
        chosen = *custom;
    } else {
        chosen = SyntaxColours::fromColorRef(SyntaxColours::standardColorRef(tableIndex));
    }
    m_colours.set(categoryAt(m_category), tableIndex, chosen);
    m_changed = true;
    return true;
}
