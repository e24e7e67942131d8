#pragma once

#include <QString>

// The Dump command: the dump viewer is "dump" in the tools folder of the Configuration options,
// appended directly (the folder must end with a separator). A relative folder is taken from the
// program folder, where the tools are installed. Started, never waited for.
class DumpTool
{
public:
    static inline const QString Section = QStringLiteral("Configuration");
    static inline const QString ToolsDirKey = QStringLiteral("tools_dir");
    static inline const QString DefaultToolsDir = QStringLiteral("./");

    // tools_dir as stored, with its default.
    static QString toolsDir();
    static QString path(const QString &toolsDir, const QString &programFolder);
    // Starts the viewer, or says where to set the folder when there is no such file. True when a
    // start was attempted (a failed start is not reported).
    static bool launch(const QString &toolsDir, const QString &programFolder);

    static inline const QString NotFoundMessage = QStringLiteral(
        "Did not find path to Dump.exe\nUse the Special->Configuration Options Menu to set path.");
};
