#include "editor/TextStandIns.h"

#include <array>

namespace {

struct Special
{
    char16_t character;
    char16_t preferred; // a symbol that says what it stands for
};

constexpr std::array<Special, 4> kSpecials = {{
    {0x2028, 0x2424}, // line separator: SYMBOL FOR NEWLINE
    {0x2029, 0x204B}, // paragraph separator: REVERSED PILCROW SIGN
    {0xFDD0, 0x2426}, // noncharacters: SYMBOL FOR SUBSTITUTE FORM TWO
    {0xFDD1, 0x2425}, //                SYMBOL FOR DELETE FORM TWO
}};

// Private-use characters, tried when a preferred symbol is in the text already.
constexpr char16_t kSpareFirst = 0xF8F0;
constexpr char16_t kSpareLast = 0xF8FF;

void replaceEach(QString &text, char16_t from, char16_t to)
{
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        if (d[i] == from)
            d[i] = to;
    }
}

} // namespace

TextStandIns TextStandIns::chooseFor(QStringView fileText)
{
    TextStandIns standIns;
    char16_t spare = kSpareFirst;
    for (const Special &s : kSpecials) {
        if (!fileText.contains(QChar(s.character)))
            continue;
        char16_t standIn = s.preferred;
        while (fileText.contains(QChar(standIn))) {
            // Nothing unused is left only for a text made to defeat this: keep what the
            // document makes of such a character.
            if (spare > kSpareLast)
                return standIns;
            standIn = spare++;
        }
        standIns.m_pairs.emplace_back(s.character, standIn);
    }
    return standIns;
}

void TextStandIns::show(QString &text) const
{
    for (const auto &[character, standIn] : m_pairs)
        replaceEach(text, character, standIn);
}

void TextStandIns::restore(QString &text) const
{
    for (const auto &[character, standIn] : m_pairs)
        replaceEach(text, standIn, character);
}
