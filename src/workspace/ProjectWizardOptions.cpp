#include "workspace/ProjectWizardOptions.h"

#include "base/SettingsStore.h"

namespace {
const QString kSection = QStringLiteral("ProjectCOM");
} // namespace

QStringList ProjectWizardOptions::cpuDirectives()
{
    return {".8086", ".186", ".286", ".286P", ".386", ".386P", ".486", ".586", ".x86"};
}

ProjectWizardOptions ProjectWizardOptions::read(const SettingsStore &s)
{
    ProjectWizardOptions o;
    o.cpu = s.readInt(kSection, QStringLiteral("cpu"), 0) != 0;
    o.cpuDirective = s.readString(kSection, QStringLiteral("cpulist"), QStringLiteral(".x86"));
    o.extendedIncludes = s.readInt(kSection, QStringLiteral("extinc"), 0) != 0;
    o.stack = s.readInt(kSection, QStringLiteral("stack"), 0) != 0;
    o.stackSize = s.readInt(kSection, QStringLiteral("stacksize"), 64);
    o.start = s.readInt(kSection, QStringLiteral("start"), 0) != 0;
    o.standardIncludes = s.readInt(kSection, QStringLiteral("stdinc"), 0) != 0;
    o.readme = s.readInt(kSection, QStringLiteral("readme"), 0) != 0;
    return o;
}

void ProjectWizardOptions::write(SettingsStore &s) const
{
    s.writeInt(kSection, QStringLiteral("cpu"), cpu ? 1 : 0);
    s.writeString(kSection, QStringLiteral("cpulist"), cpuDirective);
    s.writeInt(kSection, QStringLiteral("extinc"), extendedIncludes ? 1 : 0);
    s.writeInt(kSection, QStringLiteral("stack"), stack ? 1 : 0);
    s.writeInt(kSection, QStringLiteral("stacksize"), stackSize);
    s.writeInt(kSection, QStringLiteral("start"), start ? 1 : 0);
    s.writeInt(kSection, QStringLiteral("stdinc"), standardIncludes ? 1 : 0);
    s.writeInt(kSection, QStringLiteral("readme"), readme ? 1 : 0);
}
