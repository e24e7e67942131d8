#include "make/ErrorCatalogue.h"

namespace ErrorCatalogue {

QString text(int code)
{
    return QString::fromLatin1(Texts[shownCode(code)]);
}

} // namespace ErrorCatalogue
