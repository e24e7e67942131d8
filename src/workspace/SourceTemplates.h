#pragma once

#include "workspace/ProjectWizardOptions.h"

#include <QString>

enum class ProjectKind { Com = 0, Exe = 1 };

// The fixed texts new source files start with. Every line ends in CR LF, except inside the empty
// template, which keeps its own mix of CR LF and LF exactly.
class SourceTemplates
{
public:
    // What the untitled document made at start-up holds.
    static QString emptyTemplate();
    // The four lines a file added to a workspace starts with.
    static QString newFileHeader();
    // The wizard's main file for a .COM or .EXE project with the dialog's choices.
    static QString projectSkeleton(ProjectKind kind, const ProjectWizardOptions &options);
};
