#pragma once

#include "editor/SyntaxScanner.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTextLayout>

#include <array>

class SettingsStore;

// The six colouring colours and the 16-entry standard colour table behind their indices.
// Each colour is stored in section Settings as an index key (0 to 15, 15 = custom colour) and an
// RGB key (a COLORREF, 0x00BBGGRR). Reading: index = index key (the colour's default index);
// colour = RGB key, defaulting to the table entry at that index, so the RGB key wins when present.
// Shared by start-up, the colouring and the colours page.
class SyntaxColours
{
public:
    // In the order start-up reads and applies them.
    enum Colour { Comments, Directives, Instructions, Registers, Symbols, Strings };
    static constexpr int ColourCount = 6;
    static constexpr int StandardCount = 16;
    static constexpr int CustomIndex = 15;

    // The colours page lists these names in table order; empty outside 0..15.
    static QString standardName(int index);
    static quint32 standardColorRef(int index); // 0 outside 0..15
    static QColor fromColorRef(quint32 colorRef);
    static quint32 toColorRef(const QColor &colour);

    static QString indexKey(Colour c); // "CRComment_indx", ...
    static QString rgbKey(Colour c);   // "CRComment_rgb", ...
    static int defaultIndex(Colour c); // 2, 4, 12, 1, 3, 9
    static Colour forFormat(SyntaxFormat format);

    // Every colour at its default index, as a store without colour keys reads.
    SyntaxColours();

    // The read rule above, for all six. An index outside 0..15 counts as the default index.
    void load(const SettingsStore &store);
    // Writes both keys of every colour, as confirming the colours page does.
    void save(SettingsStore &store) const;

    int index(Colour c) const { return m_index[c]; }
    QColor colour(Colour c) const { return m_colour[c]; }
    QColor colour(SyntaxFormat format) const { return m_colour[forFormat(format)]; }
    void set(Colour c, int index, const QColor &colour);

private:
    std::array<int, ColourCount> m_index{};
    std::array<QColor, ColourCount> m_colour{};
};
