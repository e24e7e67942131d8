#include "make/AssemblerOptions.h"

#include "workspace/WorkspaceRecord.h"

namespace {

using Option = WorkspaceRecord::Option;

QString withCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

} // namespace

AssemblerOptions AssemblerOptions::fromRecord(const WorkspaceRecord &record)
{
    AssemblerOptions o;
    o.alphabetizeSegments = record.option(Option::AlphabetizeSegments);
    o.beepIfError = record.option(Option::BeepOnError);
    o.validateBootSector = record.option(Option::ValidateBootSector);
    o.bootDriveB = record.option(Option::BootDriveB);
    o.noDiagnostics = record.option(Option::NoDiagnostics);
    o.useIncludePath = record.option(Option::UseIncludePath);
    o.includePath = record.includePath();
    o.useJumps = record.option(Option::UseJumps);
    o.createListing = record.option(Option::CreateListing);
    o.listingPageBreaks = record.option(Option::ListingPageBreaks);
    o.openListingFile = record.option(Option::OpenListing);
    o.useOptimizer = record.option(Option::UseOptimizer);
    o.postBuild = record.postBuildCommands();
    o.postBuild.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return o;
}

void AssemblerOptions::storeInto(WorkspaceRecord &record) const
{
    record.setOption(Option::AlphabetizeSegments, alphabetizeSegments);
    record.setOption(Option::BeepOnError, beepIfError);
    record.setOption(Option::ValidateBootSector, validateBootSector);
    record.setOption(Option::BootDriveB, bootDriveB);
    record.setOption(Option::NoDiagnostics, noDiagnostics);
    record.setOption(Option::UseIncludePath, useIncludePath);
    record.setIncludePath(cutIncludePath(includePath));
    record.setOption(Option::UseJumps, useJumps);
    record.setOption(Option::CreateListing, createListing);
    record.setOption(Option::ListingPageBreaks, listingPageBreaks);
    record.setOption(Option::OpenListing, openListingFile);
    record.setOption(Option::UseOptimizer, useOptimizer);
    record.setPostBuildCommands(cutPostBuild(withCrLf(postBuild)));
}

QString AssemblerOptions::cutIncludePath(const QString &path)
{
    return RecordField::fitToField(path, WorkspaceRecord::PathFieldSize);
}

QString AssemblerOptions::cutPostBuild(const QString &text)
{
    return RecordField::fitToField(text, WorkspaceRecord::PostBuildFieldSize);
}
