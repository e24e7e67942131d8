#pragma once

#include "base/CommandMap.h"
#include "base/FileStamp.h"
#include "editor/DocumentNaming.h"
#include "editor/SourceFileCodec.h"
#include "editor/TextStandIns.h"

#include <QObject>

class QFont;
class QTextDocument;
class QThread;

// The document of one source file (.asm, .inc or any other text): the text (a QTextDocument with
// the cheap source layout), its path (empty while untitled) and title, its file kind (which
// decides colouring), and how its bytes are laid out on disk (encoding, line ends), so that an
// unedited file saves byte for byte as it was read. It lives as long as its child frame.
//
// It knows nothing above it: what happens to it (a name registered or let go, a new caption, a
// Save As, a close asked for, a reload) it announces with signals; the window, the view, the
// workspace tree and the recent-file list listen. So it can be built and tested on its own.
//
// Names follow the classic document operations: OnOpenDocument reads, OnSaveDocument writes (the
// final line break first), OnCloseDocument lets go of the tree entry, DoSave/DoFileSave are the
// Save path with its dialog, SaveModified asks before a window closes, CloseWithPrompt is the
// Close command.
class CQvasmDoc : public QObject
{
    Q_OBJECT

public:
    // Makes the text: the editor's cheap layout comes from the widget side; without one the text
    // is a plain QTextDocument with the editor font and tab stops.
    using TextFactory = QTextDocument *(*) (const QFont &font, qreal tabStop, QObject *parent);

    explicit CQvasmDoc(TextFactory makeText = nullptr, QObject *parent = nullptr);
    ~CQvasmDoc() override;

    // The text. While a large file is still loading this is an empty stand-in, so nobody can
    // touch the text the worker is filling.
    QTextDocument *textDocument() const { return m_loader ? m_placeholder : m_text; }
    CommandMap &commands() { return m_commands; }

    // Naming ---------------------------------------------------------------------------------
    QString GetPathName() const { return m_path; }
    QString GetTitle() const { return m_title; }
    // The path, or the title of an untitled document: what captions, the tree and the prompts use.
    QString name() const { return m_path.isEmpty() ? m_title : m_path; }
    void SetTitle(const QString &title);
    // Also makes the file name the title.
    void SetPathName(const QString &path);
    FileKind fileKind() const { return m_kind; }
    void setFileKind(FileKind kind);
    SourceFileFormat fileFormat() const { return m_format; }
    // Sets the kind from the name and announces it (nameRegistered: the tree lists it).
    void registerName(const QString &name);

    bool IsModified() const;
    void SetModifiedFlag(bool modified = true);
    // A large file's text may still be arriving (only while the program starts); its view stays
    // read-only until loaded() and attaches the text then.
    bool isLoading() const { return m_loader != nullptr; }
    // The caption of the child frame: the name, with "*" while modified.
    QString caption() const;

    // Operations -----------------------------------------------------------------------------
    // An untitled document with that title; text is what it starts with (not undoable).
    void initNew(const QString &title, const QString &text = QString());
    // Reads the file; false, after telling the user why, when it can't be read (given failure,
    // the reason goes there instead, for a caller that reports many files at once). With
    // inBackground a large text is put into the document by a worker thread.
    bool OnOpenDocument(const QString &path, bool inBackground = false, QString *failure = nullptr);
    // An atomic write, final line break included, in the file's own encoding and line ends. On
    // failure the user is told, the old file is whole and the document stays modified. The old
    // name is let go and the new one registered only once the file is written.
    bool OnSaveDocument(const QString &path);
    // The window is closing: lets go of the name (the tree keeps a member of the open workspace).
    void OnCloseDocument();
    // Save under path; an empty path (an untitled document) asks with the save dialog. With
    // replace the document takes the new path and announces savedAs (the recent-file list).
    bool DoSave(const QString &path, bool replace = true);
    bool DoFileSave() { return DoSave(m_path); }
    // Save As: the dialog with the default name "asmfile1", the save, then savedAs.
    bool SaveAs();
    // Before the window closes: "Save changes to: " with Yes, No and Cancel while modified; false
    // when the window must stay.
    bool SaveModified();
    // The Close command: the same question; Yes saves an untitled document under its title in
    // the current folder. Asks for the window to close (closeRequested); false when it stays.
    bool CloseWithPrompt();
    // Another program wrote the file since this document read or saved it.
    bool changedOnDisk() const;
    // After the file changed on disk: an unmodified document offers to reload it (once per
    // change); a modified one is asked about when it is saved.
    void checkDiskChange();
    // Reads the file again into the text; the view keeps its caret and scroll across
    // aboutToReload and reloaded.
    bool reloadFromDisk();
    // The text as the file would hold it, without the final line break a save adds.
    QString fileText() const;
    FileStamp diskStamp() const { return m_diskStamp; }
    // Puts text back that was kept for recovery: one undoable edit, so the document is modified
    // and an undo goes back to what is on disk. textRestored follows.
    void restoreText(const QString &text,
                     const SourceFileFormat &format,
                     const LineBreaks &otherBreaks);
    // The text as a save writes it: a line break is added after a non-blank last line. It goes
    // into the file only, so the undo history and the editor's caret and scroll stay as they are.
    QString textForSaving() const;

    static QString openErrorMessage(const QString &path, const QString &reason);
    static QString encodingQuestion(const QString &path, const QString &missing);
    static QString reloadQuestion(const QString &path);
    static QString overwriteQuestion(const QString &path);
    static QString saveErrorMessage(const QString &path, const QString &reason);

signals:
    // The path or title changed (Save As).
    void nameChanged();
    void fileKindChanged(FileKind kind);
    void modifiedChanged(bool modified);
    // The text of a document opened in the background has arrived.
    void loaded();
    // The file at path was written from this document.
    void saved(const QString &path);
    // The window's caption: the name, with "*" while modified.
    void captionChanged(const QString &caption);
    // The document goes by name now (opened, created, saved): the tree lists it.
    void nameRegistered(const QString &name);
    // The document no longer goes by name (saved under another, or closing): the tree lets go
    // of it unless the file is a member of the open workspace.
    void nameReleased(const QString &name);
    // The document took path by Save As (or a save of an untitled one): the recent-file list.
    void savedAs(const QString &path);
    // The Close command has done its asking: the window closes without asking again.
    void closeRequested();
    // The text is about to be read again from disk, and has been.
    void aboutToReload();
    void reloaded();
    // Text kept for recovery was put back.
    void textRestored();

private:
    void registerCommands();
    bool readFile(const QString &path, bool inBackground, QString *failure = nullptr);
    void loadText(const QString &text, const LineBreaks &otherBreaks, bool inBackground);
    void onLoaded();
    void connectText();
    void updateCaption();

    TextFactory m_makeText;
    QTextDocument *m_text = nullptr;
    QTextDocument *m_placeholder = nullptr;
    QThread *m_loader = nullptr;
    CommandMap m_commands;
    QString m_path;
    QString m_title;
    FileKind m_kind = FileKind::Source;
    SourceFileFormat m_format;
    TextStandIns m_standIns; // characters the text document can't hold, shown as symbols
    FileStamp m_diskStamp;   // the file as this document last read, saved or was told of it
    bool m_askingAboutDisk = false;
};
