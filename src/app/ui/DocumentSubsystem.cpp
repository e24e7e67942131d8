#include "app/ui/DocumentSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentTemplate.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/DocumentRecovery.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "workspace/SourceTemplates.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/ui/CCreateNewDlg.h"
#include "workspace/ui/CWorkspaceTree.h"

namespace {

// The application's view of the source-document template, which it owns.
class SourceDocuments : public DocumentTemplate
{
public:
    explicit SourceDocuments(std::unique_ptr<CQvasmDocTemplate> documents)
        : m_documents(std::move(documents))
    {}

    QObject *OpenDocumentFile(const QString &path) override
    {
        return m_documents->OpenDocumentFile(path);
    }
    QObject *newDocument() override { return m_documents->newDocument(); }
    bool SaveAllModified() override { return m_documents->SaveAllModified(); }
    void closeAllDocuments() override { m_documents->closeAllDocuments(); }
    CQvasmDocTemplate *documents() const { return m_documents.get(); }

private:
    std::unique_ptr<CQvasmDocTemplate> m_documents;
};

} // namespace

void connectDocumentsToWorkspace(CQvasmDocTemplate &documents)
{
    documents.setKindQuestion([](QWidget *parent) -> std::optional<int> {
        CCreateNewDlg dialog(parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.chosenIndex();
    });
    documents.setStartupText(SourceTemplates::emptyTemplate());
    documents.setWorkspaceFile([] {
        const WorkspaceRecord &workspace = WorkspaceRecord::instance();
        return workspace.isOpen() ? workspace.workspaceFilePath() : QString();
    });
}

CQvasmDocTemplate *sourceDocuments(CQvasmApp &app)
{
    auto *documents = dynamic_cast<SourceDocuments *>(app.documentTemplate());
    return documents ? documents->documents() : nullptr;
}

CQvasmDocTemplate *installDocuments(CQvasmApp &app)
{
    auto documents = std::make_unique<CQvasmDocTemplate>();
    CQvasmDocTemplate *templ = documents.get();
    connectDocumentsToWorkspace(*templ);
    templ->setPrinter([&app] { return app.printer(); });
    QObject::connect(templ,
                     &CQvasmDocTemplate::recentFileUsed,
                     &app,
                     &CQvasmApp::AddToRecentFileList);
    app.setDocumentTemplate(std::make_unique<SourceDocuments>(std::move(documents)));
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app, templ](const StartupDecision &) {
        CMainFrame *frame = app.mainFrame();
        if (!frame || sourceDocuments(app) != templ)
            return;
        templ->setMainFrame(frame);
        new CWorkspaceTree(frame, templ);
        frame->setDropHandler([templ](const QStringList &files) { templ->openDroppedFiles(files); });
        auto *recovery = new DocumentRecovery(templ, RecoveryStore::defaultFolder(), templ);
        recovery->handleTerminationSignals();
        // Ended from outside, the program keeps what closing its window keeps (the workspace,
        // the recent lists, the bar layout), without the questions.
        QObject::connect(recovery,
                         &DocumentRecovery::endingFromOutside,
                         frame,
                         &CMainFrame::saveClosingState);
        // Said where the user looks while typing, without stopping the typing.
        QObject::connect(recovery, &DocumentRecovery::copyFailed, frame, [frame](const QString &m) {
            frame->statusLine()->setPaneText(CStatusLine::MessagePane, m);
        });
    });
    // Last, once the window and any workspace are back: what a killed session left is offered.
    app.addStartupStep(CQvasmApp::StartupStage::Ready, [templ](const StartupDecision &) {
        if (auto *recovery = templ->findChild<DocumentRecovery *>())
            recovery->offerLeftOver();
    });
    return templ;
}
