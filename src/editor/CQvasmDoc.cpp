#include "editor/CQvasmDoc.h"

#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/EditorSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QThread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Texts above this many characters are put into the document by a worker while the program
// starts, so the window is up and answering before a large file is in.
constexpr qsizetype kBackgroundLoadChars = 1 << 20;
// The editor holds about ten times a file's size; beyond this a file would take the machine's
// memory with it rather than open.
constexpr qint64 kMaxOpenBytes = qint64(256) << 20;
void fillDocument(QTextDocument &text, const QString &content, const LineBreaks &otherBreaks = {})
{
    // setPlainText keeps no undo step for the load.
    text.setPlainText(content);
    SourceFileCodec::attachLineBreaks(text, otherBreaks);
    text.setModified(false);
}

QTextDocument *plainText(const QFont &font, qreal tabStop, QObject *parent)
{
    auto *text = new QTextDocument(parent);
    text->setDefaultFont(font);
    QTextOption option = text->defaultTextOption();
    option.setTabStopDistance(tabStop);
    text->setDefaultTextOption(option);
    return text;
}

QString untitledSaveFilter()
{
    return Prompts::filterFromClassic(
        QStringLiteral("qvasm Files(*.asm)|*.asm|All Files (*.*)|*.*||"));
}

} // namespace

CQvasmDoc::CQvasmDoc(TextFactory makeText, QObject *parent)
    : QObject(parent)
    , m_makeText(makeText ? makeText : &plainText)
{
    const SettingsStore &settings = SettingsStore::instance();
    const QFont font = EditorSettings::font(settings);
    m_text = m_makeText(font,
                        EditorSettings::tabStopDistance(font, EditorSettings::tabStops(settings)),
                        nullptr);
    registerCommands();
}

CQvasmDoc::~CQvasmDoc()
{
    if (m_loader) {
        // The worker owns the text until it is done with it.
        m_loader->wait();
        delete m_loader;
    }
    delete m_text;
}

void CQvasmDoc::registerCommands()
{
    m_commands.on(ID_FILE_SAVE, [this] { DoFileSave(); });
    m_commands.onUpdate(ID_FILE_SAVE,
                        [this](CommandUpdate &u) { u.enable(IsModified() && !isLoading()); });
    m_commands.on(ID_FILE_SAVE_AS, [this] { SaveAs(); });
    m_commands.onUpdate(ID_FILE_SAVE_AS, [this](CommandUpdate &u) { u.enable(!isLoading()); });
    m_commands.on(ID_FILE_CLOSE, [this] { CloseWithPrompt(); });
}

// Naming ------------------------------------------------------------------------------------

void CQvasmDoc::SetTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    updateCaption();
    emit nameChanged();
}

void CQvasmDoc::SetPathName(const QString &path)
{
    m_path = path;
    m_title = QFileInfo(path).fileName();
    updateCaption();
    emit nameChanged();
}

void CQvasmDoc::setFileKind(FileKind kind)
{
    if (m_kind == kind)
        return;
    m_kind = kind;
    emit fileKindChanged(kind);
}

void CQvasmDoc::registerName(const QString &name)
{
    setFileKind(DocumentNaming::fileKind(name));
    emit nameRegistered(name);
}

bool CQvasmDoc::IsModified() const
{
    return textDocument()->isModified();
}

void CQvasmDoc::SetModifiedFlag(bool modified)
{
    textDocument()->setModified(modified);
}

QString CQvasmDoc::caption() const
{
    return DocumentNaming::caption(name(), IsModified());
}

void CQvasmDoc::updateCaption()
{
    emit captionChanged(caption());
}

void CQvasmDoc::connectText()
{
    connect(m_text, &QTextDocument::modificationChanged, this, [this](bool modified) {
        updateCaption();
        emit modifiedChanged(modified);
    });
}

// Loading -----------------------------------------------------------------------------------

void CQvasmDoc::initNew(const QString &title, const QString &text)
{
    if (!text.isEmpty())
        fillDocument(*m_text, text);
    connectText();
    SetTitle(title);
}

bool CQvasmDoc::OnOpenDocument(const QString &path, bool inBackground, QString *failure)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kMaxOpenBytes) {
        const QString reason = QStringLiteral("The file is too large to edit (%1 MiB; at "
                                              "most %2 MiB).")
                                   .arg(info.size() >> 20)
                                   .arg(kMaxOpenBytes >> 20);
        if (failure)
            *failure = reason;
        else
            showMessage(openErrorMessage(path, reason), PromptIcon::Exclamation);
        return false;
    }
    if (!readFile(path, inBackground, failure))
        return false;
    SetPathName(path);
    return true;
}

bool CQvasmDoc::readFile(const QString &path, bool inBackground, QString *failure)
{
    // Taken before the read: a write that lands during it shows as a change afterwards.
    const FileStamp stamp = FileStamp::of(path);
    SourceFileCodec::ReadResult read = SourceFileCodec::readFile(path);
    if (!read.ok) {
        if (failure)
            *failure = read.errorString;
        else
            showMessage(openErrorMessage(path, read.errorString), PromptIcon::Exclamation);
        return false;
    }
    m_format = read.format;
    m_diskStamp = stamp;
    QString text = std::move(read.text);
    m_standIns = TextStandIns::chooseFor(text);
    m_standIns.show(text);
    loadText(text, read.otherBreaks, inBackground);
    return true;
}

bool CQvasmDoc::changedOnDisk() const
{
    if (m_path.isEmpty() || !m_diskStamp.exists)
        return false;
    const FileStamp now = FileStamp::of(m_path);
    return now.exists && now != m_diskStamp;
}

void CQvasmDoc::checkDiskChange()
{
    // A modified document is asked about when it is saved; one question at a time.
    if (m_askingAboutDisk || isLoading() || IsModified() || !changedOnDisk())
        return;
    const QPointer<CQvasmDoc> self(this);
    const FileStamp seen = FileStamp::of(m_path);
    m_askingAboutDisk = true;
    const PromptAnswer answer = Prompts::instance().message(reloadQuestion(m_path),
                                                            PromptButtons::YesNo,
                                                            PromptIcon::Question);
    if (!self)
        return;
    m_askingAboutDisk = false;
    if (answer == PromptAnswer::Yes && !IsModified())
        reloadFromDisk();
    else
        m_diskStamp = seen; // asked once for this change
}

bool CQvasmDoc::reloadFromDisk()
{
    if (m_path.isEmpty() || isLoading())
        return false;
    emit aboutToReload();
    if (!readFile(m_path, false))
        return false;
    emit reloaded();
    return true;
}

void CQvasmDoc::loadText(const QString &content, const LineBreaks &otherBreaks, bool inBackground)
{
    if (!inBackground || content.size() < kBackgroundLoadChars) {
        fillDocument(*m_text, content, otherBreaks);
        connectText();
        return;
    }
    // Nothing is connected to the text yet and no view shows it, so the worker is the only one
    // touching it until it hands it back to this thread.
    QThread *owner = thread();
    QTextDocument *text = m_text;
    m_placeholder = m_makeText(m_text->defaultFont(),
                               m_text->defaultTextOption().tabStopDistance(),
                               this);
    m_loader = QThread::create([text, content, otherBreaks, owner] {
        fillDocument(*text, content, otherBreaks);
        text->moveToThread(owner);
    });
    m_text->moveToThread(m_loader);
    connect(m_loader, &QThread::finished, this, &CQvasmDoc::onLoaded);
    m_loader->start();
}

void CQvasmDoc::onLoaded()
{
    if (!m_loader)
        return;
    m_loader->wait();
    delete m_loader;
    m_loader = nullptr;
    connectText();
    emit loaded();
    // The view has moved to the real text by now.
    m_placeholder->deleteLater();
    m_placeholder = nullptr;
#ifdef __GLIBC__
    // Growing the text left freed blocks behind in the worker's heap; give them back.
    malloc_trim(0);
#endif
}

// Saving ------------------------------------------------------------------------------------

QString CQvasmDoc::fileText() const
{
    QString text = SourceFileCodec::documentText(*m_text);
    m_standIns.restore(text);
    return text;
}

void CQvasmDoc::restoreText(const QString &text,
                            const SourceFileFormat &format,
                            const LineBreaks &otherBreaks)
{
    if (isLoading())
        return;
    QString shown = text;
    m_standIns = TextStandIns::chooseFor(shown);
    m_standIns.show(shown);
    m_format = format;
    QTextCursor cursor(m_text);
    cursor.select(QTextCursor::Document);
    cursor.insertText(shown);
    SourceFileCodec::attachLineBreaks(*m_text, otherBreaks);
    m_text->setModified(true);
    emit textRestored();
}

QString CQvasmDoc::textForSaving() const
{
    QString text = fileText();
    if (SourceFileCodec::needsFinalLineBreak(text))
        text += QLatin1Char('\n');
    return text;
}

bool CQvasmDoc::OnSaveDocument(const QString &path)
{
    if (isLoading())
        return false;
    if (path == m_path && changedOnDisk()
        && Prompts::instance().message(overwriteQuestion(path),
                                       PromptButtons::YesNo,
                                       PromptIcon::Question)
               != PromptAnswer::Yes) {
        return false;
    }
    const QString text = textForSaving();
    // Never re-encode behind the user's back: every byte 80h-FFh of the file would change.
    const QString missing = SourceFileCodec::charactersNotIn(text, m_format.encoding);
    if (!missing.isEmpty()
        && Prompts::instance().message(encodingQuestion(path, missing),
                                       PromptButtons::YesNo,
                                       PromptIcon::Question)
               != PromptAnswer::Yes) {
        return false;
    }
    QString error;
    SourceFileFormat used;
    if (!SourceFileCodec::writeFile(path,
                                    text,
                                    m_format,
                                    &error,
                                    &used,
                                    SourceFileCodec::attachedLineBreaks(*m_text))) {
        showMessage(saveErrorMessage(path, error), PromptIcon::Exclamation);
        return false;
    }
    m_format = used;
    m_diskStamp = FileStamp::of(path);
    const QString oldName = name();
    if (oldName != path)
        emit nameReleased(oldName);
    registerName(path);
    m_text->setModified(false);
    emit saved(path);
    return true;
}

bool CQvasmDoc::DoSave(const QString &path, bool replace)
{
    QString target = path;
    if (target.isEmpty()) {
        FileDialogRequest request;
        request.caption = QStringLiteral("Save As");
        request.directory = QDir::current().filePath(m_title);
        request.filter = untitledSaveFilter();
        request.defaultSuffix = QStringLiteral("asm");
        target = Prompts::instance().saveFile(request);
        if (target.isEmpty())
            return false;
    }
    target = QFileInfo(target).absoluteFilePath();
    if (!OnSaveDocument(target))
        return false;
    if (replace && target != m_path) {
        SetPathName(target);
        emit savedAs(target);
    }
    return true;
}

bool CQvasmDoc::SaveAs()
{
    if (isLoading())
        return false;
    const QString folder = m_path.isEmpty() ? QDir::currentPath()
                                            : QFileInfo(m_path).absolutePath();
    const QString chosen = Prompts::instance().saveFile(DocumentNaming::saveAsRequest(folder));
    if (chosen.isEmpty())
        return false;
    const QString target = QFileInfo(chosen).absoluteFilePath();
    if (!OnSaveDocument(target))
        return false;
    SetPathName(target);
    emit savedAs(target);
    return true;
}

// Closing -----------------------------------------------------------------------------------

bool CQvasmDoc::SaveModified()
{
    if (!IsModified())
        return true;
    switch (Prompts::instance().message(DocumentNaming::saveChangesQuestion(name()),
                                        PromptButtons::YesNoCancel,
                                        PromptIcon::Exclamation)) {
    case PromptAnswer::Yes:
        return DoFileSave();
    case PromptAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CQvasmDoc::CloseWithPrompt()
{
    if (IsModified()) {
        switch (Prompts::instance().message(DocumentNaming::saveChangesQuestion(name()),
                                            PromptButtons::YesNoCancel,
                                            PromptIcon::Exclamation)) {
        case PromptAnswer::Yes: {
            bool saved;
            if (!m_path.isEmpty()) {
                saved = DoSave(m_path);
            } else {
                // Untitled: under its title in the current folder, but never over a file that
                // is already there; then the save dialog asks instead.
                const QString target = QDir::current().filePath(m_title);
                saved = QFileInfo::exists(target) ? DoSave(QString()) : DoSave(target);
            }
            // A document that could not be saved stays open rather than losing its text.
            if (!saved)
                return false;
            break;
        }
        case PromptAnswer::No:
            break;
        default:
            return false;
        }
    }
    emit closeRequested();
    return true;
}

void CQvasmDoc::OnCloseDocument()
{
    const QString n = name();
    if (!n.isEmpty())
        emit nameReleased(n);
}

QString CQvasmDoc::openErrorMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not open %1.\n%2").arg(path, reason);
}

QString CQvasmDoc::encodingQuestion(const QString &path, const QString &missing)
{
    return QStringLiteral("%1 is saved as Windows-1252, which cannot hold these characters:\n\n"
                          "%2\n\n"
                          "Save the file as UTF-8? Its other characters above 7Fh then change "
                          "their bytes too. Choose No to go back and change them.")
        .arg(path, missing);
}

QString CQvasmDoc::reloadQuestion(const QString &path)
{
    return QStringLiteral("%1\n\nThis file was changed by another program. Reload it?").arg(path);
}

QString CQvasmDoc::overwriteQuestion(const QString &path)
{
    return QStringLiteral("%1\n\nThis file was changed by another program since it was opened or "
                          "saved here. Save over those changes?")
        .arg(path);
}

QString CQvasmDoc::saveErrorMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not save %1.\n%2\nThe file on disk was left as it was.")
        .arg(path, reason);
}
