// The workspace loader on any file: loading, reading every field and saving back must be safe.

#include "FuzzSupport.h"
#include "workspace/WorkspaceRecord.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::scratchFile("fuzz_workspace.qvw");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(fuzz::bytes(data, size));
    }
    WorkspaceRecord record;
    if (record.load(path) != WorkspaceRecord::LoadResult::Opened)
        return 0;
    (void) record.isOpen();
    (void) record.canExecute();
    (void) record.includePath();
    (void) record.postBuildCommands();
    (void) record.workspaceFilePath();
    (void) record.reservedName();
    (void) record.mainFile();
    (void) record.targetFile();
    const int count = record.entryCount();
    for (int i = 0; i < count; ++i)
        (void) record.entry(i);
    (void) record.entryPaths();
    const QByteArray saved = record.toByteArray();
    if (saved.size() != WorkspaceRecord::Size)
        fuzz::fail("a loaded workspace does not save to a whole record");
    return 0;
}
