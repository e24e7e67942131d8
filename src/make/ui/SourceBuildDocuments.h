#pragma once

#include "make/ui/BuildDocuments.h"

#include <QPointer>

#include <functional>

class CQvasmDocTemplate;

// The build commands' view of the program's source documents: a CChildFrame's CQvasmDoc and its
// view, and the open documents of the source-document template.
class SourceBuildDocuments : public BuildDocuments
{
public:
    // The template whose documents a listing may be among (may be nullptr), and what opens a
    // file as a document.
    using Opener = std::function<QObject *(const QString &path)>;
    SourceBuildDocuments(CQvasmDocTemplate *documents, Opener opener);

    std::unique_ptr<BuildSource> source(QMdiSubWindow *window) override;
    void closeBeforeReopening(const QString &path) override;
    QObject *open(const QString &path) override;

private:
    QPointer<CQvasmDocTemplate> m_documents;
    Opener m_opener;
};
