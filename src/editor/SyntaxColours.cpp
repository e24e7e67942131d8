#include "editor/SyntaxColours.h"

#include "base/SettingsStore.h"

namespace {

const QString section = QStringLiteral("Settings");

struct StandardColour
{
    const char *name;
    quint32 colorRef;
};

// clang-format off
constexpr StandardColour standard[SyntaxColours::StandardCount] = {
    {"black", 0x000000},        {"bright red", 0x0000FF},  {"bright green", 0x00FF00},
    {"light brown", 0x2A2AA6},  {"bright blue", 0xFF0000}, {"purple", 0xFF00FF},
    {"bright cyan", 0xFFFF00},  {"gray", 0xC0C0C0},        {"light gray", 0x545454},
    {"red", 0x000088},          {"green", 0x008800},       {"yellow", 0x00FFFF},
    {"blue", 0x880000},         {"magenta", 0x880088},     {"cyan", 0x888800},
    {"custom color", 0xFFFFFF},
};

struct ColourKeys
{
    const char *stem;
    int defaultIndex;
};

constexpr ColourKeys keys[SyntaxColours::ColourCount] = {
    {"CRComment", 2}, {"CRDirectives", 4}, {"CRInstructions", 12},
    {"CRRegisters", 1}, {"CRSymbols", 3}, {"CRStrings", 9},
};
// clang-format on

bool validIndex(int index)
{
    return index >= 0 && index < SyntaxColours::StandardCount;
}

} // namespace

QString SyntaxColours::standardName(int index)
{
    return validIndex(index) ? QString::fromLatin1(standard[index].name) : QString();
}

quint32 SyntaxColours::standardColorRef(int index)
{
    return validIndex(index) ? standard[index].colorRef : 0;
}

QColor SyntaxColours::fromColorRef(quint32 colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

quint32 SyntaxColours::toColorRef(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

QString SyntaxColours::indexKey(Colour c)
{
    return QString::fromLatin1(keys[c].stem) + QLatin1String("_indx");
}

QString SyntaxColours::rgbKey(Colour c)
{
    return QString::fromLatin1(keys[c].stem) + QLatin1String("_rgb");
}

int SyntaxColours::defaultIndex(Colour c)
{
    return keys[c].defaultIndex;
}

SyntaxColours::Colour SyntaxColours::forFormat(SyntaxFormat format)
{
    switch (format) {
    case SyntaxFormat::Directive:
        return Directives;
    case SyntaxFormat::Instruction:
        return Instructions;
    case SyntaxFormat::Register:
        return Registers;
    case SyntaxFormat::Symbol:
        return Symbols;
    case SyntaxFormat::Comment:
        return Comments;
    case SyntaxFormat::String:
        break;
    }
    return Strings;
}

SyntaxColours::SyntaxColours()
{
    for (int c = 0; c < ColourCount; ++c) {
        m_index[c] = keys[c].defaultIndex;
        m_colour[c] = fromColorRef(standard[m_index[c]].colorRef);
    }
}

void SyntaxColours::load(const SettingsStore &store)
{
    for (int c = 0; c < ColourCount; ++c) {
        const Colour colour = Colour(c);
        int index = store.readInt(section, indexKey(colour), keys[c].defaultIndex);
        // A stored index the table doesn't have must not pick a colour from outside it.
        if (!validIndex(index))
            index = keys[c].defaultIndex;
        const int rgb = store.readInt(section, rgbKey(colour), int(standard[index].colorRef));
        m_index[c] = index;
        m_colour[c] = fromColorRef(quint32(rgb));
    }
}

void SyntaxColours::save(SettingsStore &store) const
{
    for (int c = 0; c < ColourCount; ++c) {
        store.writeInt(section, indexKey(Colour(c)), m_index[c]);
        store.writeInt(section, rgbKey(Colour(c)), int(toColorRef(m_colour[c])));
    }
}

void SyntaxColours::set(Colour c, int index, const QColor &colour)
{
    m_index[c] = validIndex(index) ? index : CustomIndex;
    m_colour[c] = fromColorRef(toColorRef(colour));
}
