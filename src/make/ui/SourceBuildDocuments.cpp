#include "make/ui/SourceBuildDocuments.h"

#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"

#include <QPointer>
#include <QTextDocument>

namespace {

class DocumentSource : public BuildSource
{
public:
    explicit DocumentSource(CChildFrame *frame)
        : m_frame(frame)
    {}

    QString pathName() const override { return doc() ? doc()->GetPathName() : QString(); }
    QString title() const override { return doc() ? doc()->GetTitle() : QString(); }
    // A text still arriving in the background belongs to its loader: it is not read here, and
    // counts as empty, so nothing builds from half a file.
    bool isModified() const override { return ready() && doc()->IsModified(); }
    bool isTextEmpty() const override { return !ready() || doc()->textDocument()->isEmpty(); }
    bool saveAs(const QString &path) override { return ready() && doc()->DoSave(path); }
    BusyIndicator *busyIndicator() override
    {
        return m_frame && m_frame->view() ? &m_frame->view()->busyIndicator() : nullptr;
    }

private:
    CQvasmDoc *doc() const { return m_frame ? m_frame->document() : nullptr; }
    bool ready() const { return doc() && !doc()->isLoading(); }

    QPointer<CChildFrame> m_frame;
};

} // namespace

SourceBuildDocuments::SourceBuildDocuments(CQvasmDocTemplate *documents, Opener opener)
    : m_documents(documents)
    , m_opener(std::move(opener))
{}

std::unique_ptr<BuildSource> SourceBuildDocuments::source(QMdiSubWindow *window)
{
    auto *frame = qobject_cast<CChildFrame *>(window);
    if (!frame || !frame->document())
        return nullptr;
    return std::make_unique<DocumentSource>(frame);
}

void SourceBuildDocuments::closeBeforeReopening(const QString &path)
{
    // Closed first so that the listing just written is read afresh; a modified copy asks.
    CQvasmDoc *open = m_documents ? m_documents->findDocument(path) : nullptr;
    if (open && open->GetPathName() == path)
        open->CloseWithPrompt();
}

QObject *SourceBuildDocuments::open(const QString &path)
{
    return m_opener ? m_opener(path) : nullptr;
}
