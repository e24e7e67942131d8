#pragma once

#include <QUrl>

#include <functional>

// Opening a web page or mail address in the user's programs. Tests replace the opener so that
// nothing outside the test starts.
namespace ShellOpen {
using Opener = std::function<bool(const QUrl &)>;

bool openUrl(const QUrl &url);
// nullptr restores the desktop's opener.
void setOpener(Opener opener);
} // namespace ShellOpen
