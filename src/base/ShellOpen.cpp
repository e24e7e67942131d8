#include "base/ShellOpen.h"

#include <QDesktopServices>

namespace {
ShellOpen::Opener &opener()
{
    static ShellOpen::Opener o;
    return o;
}
} // namespace

bool ShellOpen::openUrl(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

void ShellOpen::setOpener(Opener o)
{
    opener() = std::move(o);
}
