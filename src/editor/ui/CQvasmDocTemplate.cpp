#include "editor/ui/CQvasmDocTemplate.h"

#include "base/CommandIds.h"
#include "base/FileStamp.h"
#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/DocumentNaming.h"
#include "editor/EditorSettings.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/SourceDocumentLayout.h"
#include "frame/ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QTimer>

CQvasmDocTemplate::CQvasmDocTemplate(QObject *parent)
    : QObject(parent)
    , m_modifiers([] { return QGuiApplication::queryKeyboardModifiers(); })
{
    connect(&m_diskWatcher,
            &QFileSystemWatcher::fileChanged,
            this,
            &CQvasmDocTemplate::onFileChanged);
    m_diskQuestionTimer.setSingleShot(true);
    connect(&m_diskQuestionTimer, &QTimer::timeout, this, &CQvasmDocTemplate::askAboutDiskChanges);
}

CQvasmDocTemplate::~CQvasmDocTemplate() = default;

QString CQvasmDocTemplate::dialogFolder() const
{
    const CQvasmDoc *active = activeDocument();
    const QString workspace = m_workspaceFile ? m_workspaceFile() : QString();
    return DocumentNaming::dialogFolder(active ? active->GetPathName() : QString(), workspace);
}

void CQvasmDocTemplate::setMainFrame(CMainFrame *frame)
{
    m_frame = frame;
    if (frame)
        frame->setOpenFolder([this] { return dialogFolder(); });
    watchNewShortcut();
}

CMainFrame *CQvasmDocTemplate::mainFrame() const
{
    return m_frame;
}

void CQvasmDocTemplate::setKindQuestion(std::function<std::optional<int>(QWidget *)> ask)
{
    m_askKind = std::move(ask);
}

void CQvasmDocTemplate::setWorkspaceFile(std::function<QString()> workspaceFile)
{
    m_workspaceFile = std::move(workspaceFile);
}

void CQvasmDocTemplate::setModifierQuery(std::function<Qt::KeyboardModifiers()> query)
{
    m_modifiers = std::move(query);
}

void CQvasmDocTemplate::setWorkspaceFileOpener(std::function<void(const QString &)> opener)
{
    m_workspaceOpener = std::move(opener);
}

void CQvasmDocTemplate::watchNewShortcut()
{
    CMainFrame *frame = mainFrame();
    QAction *action = frame ? frame->commandAction(ID_FILE_NEW) : nullptr;
    if (!action || action == m_watchedNewAction)
        return;
    if (m_watchedNewAction)
        m_watchedNewAction->removeEventFilter(this);
    m_watchedNewAction = action;
    action->installEventFilter(this);
}

bool CQvasmDocTemplate::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl+N holds Ctrl down by its nature; it must not turn every new document into an include
    // file, so New remembers that it came from the key.
    if (watched == m_watchedNewAction && event->type() == QEvent::Shortcut)
        m_newFromShortcut = true;
    return QObject::eventFilter(watched, event);
}

// Documents ---------------------------------------------------------------------------------------

QList<CQvasmDoc *> CQvasmDocTemplate::documents() const
{
    QList<CQvasmDoc *> list;
    for (const QPointer<CQvasmDoc> &doc : m_documents) {
        if (doc)
            list << doc;
    }
    return list;
}

CQvasmDoc *CQvasmDocTemplate::findDocument(const QString &name) const
{
    for (CQvasmDoc *doc : documents()) {
        if (doc->name() == name)
            return doc;
    }
    return nullptr;
}

CQvasmDoc *CQvasmDocTemplate::findSameFile(const QString &path) const
{
    const FileStamp file = FileStamp::of(path);
    if (!file.exists)
        return nullptr;
    for (CQvasmDoc *doc : documents()) {
        if (!doc->GetPathName().isEmpty() && FileStamp::of(doc->GetPathName()).isSameFile(file))
            return doc;
    }
    return nullptr;
}

void CQvasmDocTemplate::watchFile(CQvasmDoc *document)
{
    const QString path = document->GetPathName();
    if (!path.isEmpty() && !m_diskWatcher.files().contains(path))
        m_diskWatcher.addPath(path);
}

void CQvasmDocTemplate::onFileChanged(const QString &path)
{
    // A file replaced by rename (as every save here does) drops out of the watch: take it again.
    if (QFileInfo::exists(path) && !m_diskWatcher.files().contains(path))
        m_diskWatcher.addPath(path);
    for (CQvasmDoc *doc : documents()) {
        if (doc->GetPathName() == path && !m_changedOnDisk.contains(doc))
            m_changedOnDisk.append(doc);
    }
    // Asked from the event loop, never from inside whatever was running when the change came;
    // a short wait also lets a program that writes in several steps finish.
    if (!m_changedOnDisk.isEmpty())
        m_diskQuestionTimer.start(200);
}

void CQvasmDocTemplate::askAboutDiskChanges()
{
    if (QApplication::activeModalWidget() || (m_diskQuestionGate && !m_diskQuestionGate())) {
        m_diskQuestionTimer.start(500);
        return;
    }
    const QList<QPointer<CQvasmDoc>> changed = std::exchange(m_changedOnDisk, {});
    for (const QPointer<CQvasmDoc> &doc : changed) {
        // A document closed meanwhile (a listing reopened after the run) is not asked about.
        if (doc && m_documents.contains(doc))
            doc->checkDiskChange();
    }
}

void CQvasmDocTemplate::setDiskQuestionGate(std::function<bool()> canAsk)
{
    m_diskQuestionGate = std::move(canAsk);
}

CQvasmDoc *CQvasmDocTemplate::activeDocument() const
{
    CMainFrame *frame = mainFrame();
    auto *child = frame ? qobject_cast<CChildFrame *>(frame->activeDocumentFrame()) : nullptr;
    return child ? child->document() : nullptr;
}

CQvasmView *CQvasmDocTemplate::activeView() const
{
    return CChildFrame::viewOf(activeDocument());
}

bool CQvasmDocTemplate::anyModified() const
{
    for (CQvasmDoc *doc : documents()) {
        if (doc->IsModified())
            return true;
    }
    return false;
}

void CQvasmDocTemplate::activate(CQvasmDoc *document)
{
    CChildFrame *child = CChildFrame::of(document);
    CMainFrame *frame = mainFrame();
    if (!child || !frame)
        return;
    frame->mdiArea()->setActiveSubWindow(child);
    if (!child->isMaximized())
        child->showMaximized();
}

CChildFrame *CQvasmDocTemplate::createFrame(CQvasmDoc *document)
{
    m_documents.removeAll(nullptr);
    m_documents.append(document);
    auto *child = new CChildFrame(document);
    // The window is deleted only with a later turn of the event loop; a command that closes and
    // reopens a file (Close Workspace then Open Workspace, a listing written again) must not
    // find the closed document meanwhile.
    connect(child, &CChildFrame::documentClosed, this, [this](CQvasmDoc *closed) {
        m_documents.removeAll(closed);
        const QString path = closed->GetPathName();
        if (!path.isEmpty() && !findDocument(path))
            m_diskWatcher.removePath(path);
    });
    connect(document, &CQvasmDoc::saved, this, [this, document] { watchFile(document); });
    connect(document, &CQvasmDoc::nameChanged, this, [this, document] { watchFile(document); });
    connect(document, &CQvasmDoc::savedAs, this, &CQvasmDocTemplate::recentFileUsed);
    child->view()->setPrinter(m_printer);
    registerViewCommands(*child->view());
    if (CMainFrame *frame = mainFrame()) {
        watchNewShortcut();
        frame->mdiArea()->addSubWindow(child);
        child->showMaximized();
        frame->mdiArea()->setActiveSubWindow(child);
        frame->requestCommandUpdate();
    } else {
        child->showMaximized();
    }
    child->view()->setFocus();
    emit documentAdded(document);
    return child;
}

QObject *CQvasmDocTemplate::OpenDocumentFile(const QString &path)
{
    return openDocument(path);
}

QObject *CQvasmDocTemplate::newDocument()
{
    return createNewDocument();
}

CQvasmDoc *CQvasmDocTemplate::openDocument(const QString &path, QString *failure)
{
    if (path.isEmpty()) {
        if (failure)
            *failure = QStringLiteral("No file name.");
        return nullptr;
    }
    const QString full = QFileInfo(path).absoluteFilePath();
    if (CQvasmDoc *open = findDocument(full); open && !open->GetPathName().isEmpty()) {
        activate(open);
        return open;
    }
    // One file is one document, whatever name it is opened under: two windows on one file would
    // each save over the other.
    if (CQvasmDoc *open = findSameFile(full)) {
        activate(open);
        return open;
    }
    CMainFrame *frame = mainFrame();
    // While the program starts nobody waits for the text, so a large one loads in the background
    // and the window comes up at once.
    const bool starting = !frame || !frame->isVisible();
    auto *doc = new CQvasmDoc(&SourceDocumentLayout::createDocument);
    if (!starting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = doc->OnOpenDocument(full, starting, failure);
    if (!starting)
        QGuiApplication::restoreOverrideCursor();
    if (!ok) {
        delete doc;
        return nullptr;
    }
    createFrame(doc);
    doc->registerName(full);
    watchFile(doc);
    emit recentFileUsed(full);
    return doc;
}

CQvasmDoc *CQvasmDocTemplate::createDocumentWithText(const QString &title, const QString &text)
{
    auto *doc = new CQvasmDoc(&SourceDocumentLayout::createDocument);
    doc->initNew(title);
    createFrame(doc);
    doc->registerName(title);
    doc->restoreText(text, SourceFileFormat(), {});
    return doc;
}

CQvasmDoc *CQvasmDocTemplate::createNewDocument()
{
    // The keys first, before any dialog can change them.
    const Qt::KeyboardModifiers keys = m_modifiers ? m_modifiers() : Qt::NoModifier;
    const bool fromShortcut = std::exchange(m_newFromShortcut, false);
    CMainFrame *frame = mainFrame();
    const int requested = frame ? frame->requestedKind() : -1;
    const bool windowActive = frame && frame->isVisible();
    const DocumentNaming::NewDocumentPlan plan
        = DocumentNaming::planNewDocument(requested,
                                          windowActive,
                                          keys.testFlag(Qt::ShiftModifier),
                                          keys.testFlag(Qt::ControlModifier) && !fromShortcut);
    int choice = plan.choice;
    if (plan.askUser) {
        const std::optional<int> chosen = m_askKind ? m_askKind(frame) : std::nullopt;
        if (!chosen)
            return nullptr;
        choice = DocumentNaming::choiceFromDialog(*chosen);
    }
    auto *doc = new CQvasmDoc(&SourceDocumentLayout::createDocument);
    // Only a document actually made uses a number (a cancelled kind dialog returned above).
    const QString title = DocumentNaming::untitledTitle(m_untitledCounter++, choice);
    doc->initNew(title, plan.insertTemplate ? m_startupText : QString());
    createFrame(doc);
    doc->registerName(title);
    if (frame)
        frame->setRequestedKind(-1);
    return doc;
}

// Every document -----------------------------------------------------------------------------------

void CQvasmDocTemplate::registerViewCommands(CQvasmView &view)
{
    // On every view's table, as the view is the first owner on the route; they act on all.
    CommandMap &c = view.commands();
    const QPointer<CQvasmDocTemplate> self(this);
    c.on(ID_VIEW_FORMATTING, [self] {
        if (self)
            self->OnFormatting();
    });
    c.on(ID_VIEW_FONT, [self] {
        if (self)
            self->OnFont();
    });
    c.on(ID_FILE_SAVE_ALL, [self] {
        if (self)
            self->SaveAll();
    });
    c.onUpdate(ID_FILE_SAVE_ALL,
               [self](CommandUpdate &u) { u.enable(self && self->anyModified()); });
    c.on(ID_FILE_CLOSE_ALL, [self] {
        if (self)
            self->CloseAll();
    });
}

bool CQvasmDocTemplate::SaveAllModified()
{
    for (CQvasmDoc *doc : documents()) {
        if (!doc->SaveModified())
            return false;
    }
    return true;
}

void CQvasmDocTemplate::closeAllDocuments()
{
    for (CQvasmDoc *doc : documents()) {
        if (CChildFrame *child = CChildFrame::of(doc))
            child->closeWithoutAsking();
    }
}

bool CQvasmDocTemplate::SaveAll()
{
    bool all = true;
    for (CQvasmDoc *doc : documents()) {
        if (doc->IsModified() && !doc->DoFileSave())
            all = false;
    }
    return all;
}

void CQvasmDocTemplate::CloseAll()
{
    for (const QPointer<CQvasmDoc> &doc : QList<QPointer<CQvasmDoc>>(m_documents)) {
        if (doc)
            doc->CloseWithPrompt();
    }
}

template<typename F>
static void forEachView(CMainFrame *frame, const QList<CQvasmDoc *> &documents, F run)
{
    if (!frame) {
        for (CQvasmDoc *doc : documents) {
            if (CQvasmView *view = CChildFrame::viewOf(doc))
                run(*view);
        }
        return;
    }
    frame->resetDocFrameWalk();
    while (QMdiSubWindow *window = frame->NextDocFrame()) {
        if (auto *child = qobject_cast<CChildFrame *>(window))
            run(*child->view());
    }
}

void CQvasmDocTemplate::OnFormatting()
{
    const bool on = !ProgramValues::instance().formatting;
    ProgramValues::instance().formatting = on;
    SettingsStore::instance().writeInt(QStringLiteral("Settings"),
                                       QStringLiteral("useformatting"),
                                       on ? 1 : 0);
    forEachView(mainFrame(), documents(), [](CQvasmView &view) {
        CQvasmDoc *doc = view.GetDocument();
        const bool modified = doc->IsModified();
        view.Refresh();
        doc->SetModifiedFlag(modified);
    });
    if (CMainFrame *frame = mainFrame())
        frame->requestCommandUpdate();
}

void CQvasmDocTemplate::OnFont()
{
    SettingsStore &settings = SettingsStore::instance();
    CQvasmView *active = activeView();
    const QFont current = active ? active->document()->defaultFont()
                                 : EditorSettings::font(settings);
    const std::optional<QFont> chosen = Prompts::instance().font(current, QStringLiteral("Font"));
    if (!chosen)
        return;
    EditorSettings::storeFont(settings, *chosen);
    forEachView(mainFrame(), documents(), [&chosen](CQvasmView &view) {
        CQvasmDoc *doc = view.GetDocument();
        const bool modified = doc->IsModified();
        view.setEditorFont(*chosen);
        view.Refresh();
        doc->SetModifiedFlag(modified);
    });
}

void CQvasmDocTemplate::openDroppedFiles(const QStringList &files)
{
    for (const QString &file : files) {
        if (DocumentNaming::isWorkspaceFileName(file)) {
            if (m_workspaceOpener)
                m_workspaceOpener(file);
        } else {
            openDocument(file);
        }
    }
}
