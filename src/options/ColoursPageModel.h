#pragma once

#include "editor/SyntaxColours.h"

#include <QColor>
#include <QStringList>

#include <functional>
#include <optional>

// What the Colors page edits: the six colours, the category selected, and the rule for choosing a
// colour from the standard table, where the last entry ("custom color") asks the user for one.
class ColoursPageModel
{
public:
    // The categories as the sorted list shows them.
    static QStringList categoryNames();
    static SyntaxColours::Colour categoryAt(int row);

    explicit ColoursPageModel(const SyntaxColours &colours = SyntaxColours());

    const SyntaxColours &colours() const { return m_colours; }
    int category() const { return m_category; }
    void selectCategory(int row);
    // The selected category's table index and colour (the sample's colour).
    int index() const;
    QColor colour() const;

    // Chooses table entry tableIndex for the selected category. For the custom entry askCustom is
    // asked; when it gives nothing the category keeps its index and colour and false comes back.
    bool choose(int tableIndex, const std::function<std::optional<QColor>()> &askCustom);
    bool changed() const { return m_changed; }

private:
    SyntaxColours m_colours;
    int m_category = 0;
    bool m_changed = false;
};
