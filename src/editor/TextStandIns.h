#pragma once

#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

// Characters an editor's text document cannot hold as themselves: it turns U+2029 and the
// noncharacters U+FDD0 and U+FDD1 into line breaks, and U+2028 into a soft break that saves as
// one. A file holding them shows each as a visible stand-in that saving puts back, so opening and
// saving never changes a byte the user did not edit. A stand-in the file already holds is never
// chosen, so the way back is exact.
class TextStandIns
{
public:
    static TextStandIns chooseFor(QStringView fileText);

    bool isEmpty() const { return m_pairs.empty(); }
    void show(QString &text) const;    // file characters -> stand-ins
    void restore(QString &text) const; // stand-ins -> file characters

private:
    std::vector<std::pair<char16_t, char16_t>> m_pairs; // (character, stand-in)
};
