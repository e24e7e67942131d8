#pragma once

#include <QString>

// The tool paths of the Make section of the settings store: user settings, read when needed and
// written when the Make Settings sheet is confirmed.
struct ToolPaths
{
    QString assembler;    // "apath"
    QString disassembler; // "dpath"
    QString includePath;  // "incpath"
    QString libraryPath;  // "libpath"
    QString linker;       // "lpath": links an .EXE project's object file (its post-build line)

    bool operator==(const ToolPaths &) const = default;
};

class MakeSettings
{
public:
    static inline const QString Section = QStringLiteral("Make");
    static inline const QString AssemblerKey = QStringLiteral("apath");
    static inline const QString DisassemblerKey = QStringLiteral("dpath");
    static inline const QString IncludePathKey = QStringLiteral("incpath");
    static inline const QString LibraryPathKey = QStringLiteral("libpath");
    static inline const QString LinkerKey = QStringLiteral("lpath");

    static ToolPaths loadPaths();
    static void savePaths(const ToolPaths &paths);

    static QString assemblerPath();
    static QString disassemblerPath();
    static QString libraryPath();
    static QString linkerPath();

    // Each start: point "apath", "dpath" and "lpath" at the tools shipped in programFolder/tools,
    // and "incpath" at the include files in programFolder/tools/include, when they are there, so
    // a new user can assemble, link and make projects at once. A value already set (even to
    // nothing) is never touched; one an older settings file lacks is filled in.
    static void applyBundledToolDefaults(const QString &programFolder);
};
