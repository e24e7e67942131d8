#include "frame/CopyFileConfirm.h"

#include "base/Prompts.h"
#include "base/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool copyAtomically(const QString &source, const QString &destination)
{
    QFile in;
    if (!RegularFile::openForReading(in, source) || !RegularFile::isWritableTarget(destination))
        return false;
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    const QFile::Permissions permissions = in.permissions();
    if (!out.commit())
        return false;
    QFile::setPermissions(destination, permissions);
    return true;
}

} // namespace

int CopyFileConfirm(const QString &source, const QString &destination)
{
    if (QFileInfo::exists(destination)) {
        const PromptAnswer answer = Prompts::instance().message(
            QStringLiteral("The file: %1, already exists, replace?").arg(destination),
            PromptButtons::YesNo,
            PromptIcon::Exclamation);
        if (answer != PromptAnswer::Yes)
            return 0;
    }
    if (!copyAtomically(source, destination))
        showMessage(QStringLiteral("Error on copy."));
    return 1;
}
