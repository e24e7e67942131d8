#pragma once

#include "make/ui/BuildDocuments.h"

// The build commands' view of the program's source documents: a CChildFrame's CQvasmDoc and its
// view, and the open documents of the source-document template.
class SourceBuildDocuments : public BuildDocuments
{
public:
    std::unique_ptr<BuildSource> source(QMdiSubWindow *window) override;
    void closeBeforeReopening(const QString &path) override;
    QObject *open(const QString &path) override;
};
