#include "make/MakeSettings.h"

#include "base/SettingsStore.h"

#include <QFileInfo>

ToolPaths MakeSettings::loadPaths()
{
    const SettingsStore &store = SettingsStore::instance();
    ToolPaths paths;
    paths.assembler = store.readString(Section, AssemblerKey);
    paths.disassembler = store.readString(Section, DisassemblerKey);
    paths.includePath = store.readString(Section, IncludePathKey);
    paths.libraryPath = store.readString(Section, LibraryPathKey);
    paths.linker = store.readString(Section, LinkerKey);
    return paths;
}

void MakeSettings::savePaths(const ToolPaths &paths)
{
    SettingsStore &store = SettingsStore::instance();
    store.writeString(Section, AssemblerKey, paths.assembler);
    store.writeString(Section, DisassemblerKey, paths.disassembler);
    store.writeString(Section, IncludePathKey, paths.includePath);
    store.writeString(Section, LibraryPathKey, paths.libraryPath);
    store.writeString(Section, LinkerKey, paths.linker);
}

QString MakeSettings::assemblerPath()
{
    return SettingsStore::instance().readString(Section, AssemblerKey);
}

QString MakeSettings::disassemblerPath()
{
    return SettingsStore::instance().readString(Section, DisassemblerKey);
}

QString MakeSettings::libraryPath()
{
    return SettingsStore::instance().readString(Section, LibraryPathKey);
}

QString MakeSettings::linkerPath()
{
    return SettingsStore::instance().readString(Section, LinkerKey);
}

void MakeSettings::applyBundledToolDefaults(const QString &programFolder)
{
    SettingsStore &store = SettingsStore::instance();
    const auto offer = [&](const QString &key, const QString &name) {
        if (store.contains(Section, key))
            return;
        const QFileInfo tool(programFolder + QStringLiteral("/tools/") + name);
        if (tool.isFile() && tool.isExecutable())
            store.writeString(Section, key, tool.absoluteFilePath());
    };
    offer(AssemblerKey, QStringLiteral("qvasm"));
    offer(DisassemblerKey, QStringLiteral("qvdisasm"));
    offer(LinkerKey, QStringLiteral("qvlink"));
    const QFileInfo includes(programFolder + QStringLiteral("/tools/include"));
    if (!store.contains(Section, IncludePathKey) && includes.isDir())
        store.writeString(Section, IncludePathKey, includes.absoluteFilePath() + QLatin1Char('/'));
}
