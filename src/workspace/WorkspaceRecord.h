#pragma once

#include "workspace/RecordField.h"
#include "workspace/WorkspaceEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Where one document window stood when the workspace was saved; the GUI collects one per open
// document window, in window order, and hands the list to WorkspaceRecord::applyWindowStates().
struct WorkspaceWindowState
{
    QString path; // the document's full path; empty for an untitled document
    qint32 selectionStart = 0;
    qint32 selectionEnd = 0;
    qint32 scrollX = 0;
    qint32 scrollY = 0;
    bool isActiveView = false;
};

// The workspace: one 32768-byte record, identical byte for byte to the .qvw file (little-endian).
//     0 open marker (0xDE while open)    1 can-execute flag    2 entry count (int32)
//     6..16 assembler option flags       17 include path (260)  277 post-build text (1025)
//  1302 reserved (4506)  5808 workspace file path (260)  6068 reserved name (260)
//  6328 main file (260)  6588 target file (260)  6848 80 entries of 324 bytes
// The program holds one (instance()); it is open exactly while byte 0 is 0xDE. Reads never leave
// the record: the count reads clamped to 0..80 and each text field stops at its own end even
// without a terminator. Writes never truncate: a text that does not fit its field, or an 81st
// entry, is refused with a Change result that refusalMessage() turns into the user's message.
// Text fields hold UTF-8 (the local 8-bit encoding of file names on Linux).
class WorkspaceRecord
{
public:
    static constexpr int Size = 32768;
    static constexpr int MaxEntries = 80;
    static constexpr unsigned char OpenMarker = 0xDE;
    static constexpr int PathFieldSize = 260;       // 259 bytes and a terminator
    static constexpr int PostBuildFieldSize = 1025; // 1024 bytes and a terminator
    static constexpr int MaxPathBytes = PathFieldSize - 1;
    static constexpr int MaxPostBuildBytes = PostBuildFieldSize - 1;

    // The option flags, each one byte at its own offset (the enum's value).
    enum class Option {
        AlphabetizeSegments = 6,
        BeepOnError = 7,
        ValidateBootSector = 8,
        BootDriveB = 9, // 0 means drive A:
        UseIncludePath = 10,
        UseJumps = 11,
        CreateListing = 12,
        ListingPageBreaks = 13,
        OpenListing = 14,
        UseOptimizer = 15,
        NoDiagnostics = 16,
    };

    enum class LoadResult { Opened, NotOpenable, NotAWorkspace };
    enum class Change { Ok, TooLong, Full, BadIndex };

    // The program-wide record.
    static WorkspaceRecord &instance();

    WorkspaceRecord(); // all zero: closed, no entries
    void clear();

    bool isOpen() const;
    void setOpen(bool open);
    // Closing clears the open marker and the can-execute flag; every other byte stays.
    void markClosed();
    bool canExecute() const;
    void setCanExecute(bool canExecute);
    bool option(Option option) const;
    void setOption(Option option, bool on);

    QString includePath() const;
    Change setIncludePath(const QString &path);
    // Lines separated by CR LF.
    QString postBuildCommands() const;
    Change setPostBuildCommands(const QString &text);
    // Where save() writes the record.
    QString workspaceFilePath() const;
    Change setWorkspaceFilePath(const QString &path);
    QString reservedName() const;
    Change setReservedName(const QString &name);
    QString mainFile() const;
    Change setMainFile(const QString &path);
    QString targetFile() const;
    Change setTargetFile(const QString &path);

    // The stored count clamped to 0..MaxEntries; storedEntryCount() is the raw number.
    int entryCount() const;
    qint32 storedEntryCount() const;
    void setEntryCount(int count); // clamped
    // Slot i of the 80; valid members are 0..entryCount()-1. Out of range: a default entry.
    WorkspaceEntry entry(int index) const;
    Change setEntry(int index, const WorkspaceEntry &entry);
    // Appends after the last member; Full when 80 are there, TooLong for a path over 259 bytes.
    Change appendEntry(const WorkspaceEntry &entry);
    // Moves the later members down one place and lowers the count; false for a bad index.
    bool removeEntry(int index);
    void setEntryWasOpened(int index, bool wasOpened);
    // First member whose path equals path; -1 when none.
    int indexOfEntry(const QString &path, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    QStringList entryPaths() const;

    // The save walk: clears every member's was-opened and active flags, then for each window in
    // order stores its position into the first member with the byte-equal path (untitled windows
    // match nothing); a member shown in two windows keeps the last one's position.
    void applyWindowStates(const QList<WorkspaceWindowState> &windows);

    // Clears the record and reads up to Size bytes of the file; a shorter file leaves the rest
    // zero. Anything but Opened leaves the record cleared (closed).
    LoadResult load(const QString &filePath);
    // Writes all Size bytes to workspaceFilePath() / filePath atomically: on failure the old file
    // is whole, the record unchanged, and errorString (when given) says why.
    bool save(QString *errorString = nullptr) const;
    bool saveTo(const QString &filePath, QString *errorString = nullptr) const;

    QByteArray toByteArray() const;
    const char *data() const { return m_bytes.data(); }

    // "Error writing to workspace file: %s" with the path.
    static QString writeErrorMessage(const QString &filePath);
    // The message for a refused change; empty for Ok.
    static QString refusalMessage(Change change, const QString &path = QString());

private:
    QString textAt(int offset, int fieldSize) const;
    Change setTextAt(int offset, int fieldSize, const QString &text);
    char *entryBytes(int index)
    {
        return m_bytes.data() + EntriesOffset + index * WorkspaceEntry::Size;
    }
    const char *entryBytes(int index) const
    {
        return m_bytes.data() + EntriesOffset + index * WorkspaceEntry::Size;
    }

    static constexpr int EntriesOffset = 6848;
    std::array<char, Size> m_bytes{};
};
