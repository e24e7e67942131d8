#pragma once

#include "make/ErrorCatalogueData.h"

#include <QString>

// Qt access to the assembler's message catalogue. The texts themselves stay in
// ErrorCatalogueData.h, which has no Qt so that the assembler can print the very same words.
namespace ErrorCatalogue {

// True for the codes the Build Window explains on their own: 1..153.
constexpr bool isKnownCode(int code)
{
    return code >= 1 && code <= FallbackCode;
}

// The code whose text is shown: any code outside 1..153 falls back to 153.
constexpr int shownCode(int code)
{
    return isKnownCode(code) ? code : FallbackCode;
}

// The catalogue text exactly as written (leading ":  " and embedded line breaks included);
// codes outside the table give the fallback text.
QString text(int code);

} // namespace ErrorCatalogue
