#pragma once

#include "TestFiles.h"
#include "TestSettings.h"
#include "app/ui/DocumentSubsystem.h"
#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "editor/CQvasmDoc.h"
#include "editor/DocumentNaming.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/ui/CWorkspaceTree.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A main frame with the document template and the workspace tree as the program puts them
// together, its own settings, a clean workspace record and program values, and a folder for
// files. Tests of windows, views, the template and the tree start from one; a document alone
// needs none of it (tst_sourcedocument).
class DocumentFixture
{
public:
    explicit DocumentFixture(bool show = true)
    {
        ProgramValues::instance() = ProgramValues();
        WorkspaceRecord::instance().clear();
        frame = std::make_unique<CMainFrame>();
        documents = std::make_unique<CQvasmDocTemplate>();
        documents->setMainFrame(frame.get());
        documents->setModifierQuery([this] { return modifiers; });
        connectDocumentsToWorkspace(*documents);
        tree = new CWorkspaceTree(frame.get(), documents.get());
        // What the application's own table adds to the route.
        appCommands.on(ID_FILE_NEW, [this] { documents->createNewDocument(); });
        frame->setApplicationCommands(&appCommands);
        if (show) {
            frame->show();
            QApplication::setActiveWindow(frame.get());
            if (!QTest::qWaitForWindowActive(frame.get()))
                qWarning("main frame not active");
        }
    }

    ~DocumentFixture()
    {
        documents->closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frame.reset();
        documents.reset();
    }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        writeFileBytes(p, bytes);
        return p;
    }
    int windowCount() const { return int(frame->mdiArea()->subWindowList().size()); }
    // Lets closed windows go away.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestSettings settings;
    CommandMap appCommands;
    QTemporaryDir dir;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CQvasmDocTemplate> documents;
    CWorkspaceTree *tree = nullptr;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
