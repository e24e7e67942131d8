#include "workspace/WorkspaceRecord.h"

#include "base/AtomicFileWriter.h"
#include "base/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {
enum : int {
    OffMarker = 0,
    OffCanExecute = 1,
    OffCount = 2,
    OffIncludePath = 17,
    OffPostBuild = 277,
    OffReserved = 1302,
    OffWorkspaceFile = 5808,
    OffReservedName = 6068,
    OffMainFile = 6328,
    OffTargetFile = 6588,
    OffEntries = 6848,
};
static_assert(OffPostBuild + WorkspaceRecord::PostBuildFieldSize == OffReserved);
static_assert(OffReserved + 4506 == OffWorkspaceFile);
static_assert(OffEntries + WorkspaceRecord::MaxEntries * WorkspaceEntry::Size
              == WorkspaceRecord::Size);
} // namespace

WorkspaceRecord &WorkspaceRecord::instance()
{
    static WorkspaceRecord record;
    return record;
}

WorkspaceRecord::WorkspaceRecord() = default;

void WorkspaceRecord::clear()
{
    m_bytes.fill(0);
}

bool WorkspaceRecord::isOpen() const
{
    return static_cast<unsigned char>(m_bytes[OffMarker]) == OpenMarker;
}

void WorkspaceRecord::setOpen(bool open)
{
    m_bytes[OffMarker] = open ? char(OpenMarker) : 0;
}

void WorkspaceRecord::markClosed()
{
    m_bytes[OffMarker] = 0;
    m_bytes[OffCanExecute] = 0;
}

bool WorkspaceRecord::canExecute() const
{
    return m_bytes[OffCanExecute] != 0;
}

void WorkspaceRecord::setCanExecute(bool canExecute)
{
    m_bytes[OffCanExecute] = canExecute ? 1 : 0;
}

bool WorkspaceRecord::option(Option option) const
{
    return m_bytes[int(option)] != 0;
}

void WorkspaceRecord::setOption(Option option, bool on)
{
    m_bytes[int(option)] = on ? 1 : 0;
}

QString WorkspaceRecord::includePath() const
{
    return textAt(OffIncludePath, PathFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setIncludePath(const QString &path)
{
    return setTextAt(OffIncludePath, PathFieldSize, path);
}

QString WorkspaceRecord::postBuildCommands() const
{
    return textAt(OffPostBuild, PostBuildFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setPostBuildCommands(const QString &text)
{
    return setTextAt(OffPostBuild, PostBuildFieldSize, text);
}

QString WorkspaceRecord::workspaceFilePath() const
{
    return textAt(OffWorkspaceFile, PathFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setWorkspaceFilePath(const QString &path)
{
    return setTextAt(OffWorkspaceFile, PathFieldSize, path);
}

QString WorkspaceRecord::reservedName() const
{
    return textAt(OffReservedName, PathFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setReservedName(const QString &name)
{
    return setTextAt(OffReservedName, PathFieldSize, name);
}

QString WorkspaceRecord::mainFile() const
{
    return textAt(OffMainFile, PathFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setMainFile(const QString &path)
{
    return setTextAt(OffMainFile, PathFieldSize, path);
}

QString WorkspaceRecord::targetFile() const
{
    return textAt(OffTargetFile, PathFieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setTargetFile(const QString &path)
{
    return setTextAt(OffTargetFile, PathFieldSize, path);
}

qint32 WorkspaceRecord::storedEntryCount() const
{
    return qFromLittleEndian<qint32>(m_bytes.data() + OffCount);
}

int WorkspaceRecord::entryCount() const
{
    return std::clamp<qint32>(storedEntryCount(), 0, MaxEntries);
}

void WorkspaceRecord::setEntryCount(int count)
{
    qToLittleEndian<qint32>(std::clamp(count, 0, int(MaxEntries)), m_bytes.data() + OffCount);
}

WorkspaceEntry WorkspaceRecord::entry(int index) const
{
    if (index < 0 || index >= MaxEntries)
        return WorkspaceEntry();
    return WorkspaceEntry::fromBytes(entryBytes(index));
}

WorkspaceRecord::Change WorkspaceRecord::setEntry(int index, const WorkspaceEntry &entry)
{
    if (index < 0 || index >= MaxEntries)
        return Change::BadIndex;
    return entry.toBytes(entryBytes(index)) ? Change::Ok : Change::TooLong;
}

WorkspaceRecord::Change WorkspaceRecord::appendEntry(const WorkspaceEntry &entry)
{
    const int count = entryCount();
    if (count >= MaxEntries)
        return Change::Full;
    const Change change = setEntry(count, entry);
    if (change == Change::Ok)
        setEntryCount(count + 1);
    return change;
}

bool WorkspaceRecord::removeEntry(int index)
{
    const int count = entryCount();
    if (index < 0 || index >= count)
        return false;
    std::memmove(entryBytes(index),
                 entryBytes(index + 1),
                 size_t(count - index - 1) * WorkspaceEntry::Size);
    setEntryCount(count - 1);
    return true;
}

void WorkspaceRecord::setEntryWasOpened(int index, bool wasOpened)
{
    if (index >= 0 && index < MaxEntries)
        entryBytes(index)[260] = wasOpened ? 1 : 0;
}

int WorkspaceRecord::indexOfEntry(const QString &path, Qt::CaseSensitivity cs) const
{
    const int count = entryCount();
    for (int i = 0; i < count; ++i) {
        if (RecordField::decodeText(entryBytes(i), WorkspaceEntry::PathSize).compare(path, cs) == 0)
            return i;
    }
    return -1;
}

QStringList WorkspaceRecord::entryPaths() const
{
    QStringList paths;
    const int count = entryCount();
    paths.reserve(count);
    for (int i = 0; i < count; ++i)
        paths << RecordField::decodeText(entryBytes(i), WorkspaceEntry::PathSize);
    return paths;
}

void WorkspaceRecord::applyWindowStates(const QList<WorkspaceWindowState> &windows)
{
    const int count = entryCount();
    // Flags and positions are written in place so the path bytes stay exactly as loaded.
    for (int i = 0; i < count; ++i) {
        entryBytes(i)[260] = 0;
        entryBytes(i)[261] = 0;
    }
    const QStringList paths = entryPaths();
    for (const WorkspaceWindowState &w : windows) {
        if (w.path.isEmpty())
            continue;
        const int i = paths.indexOf(w.path);
        if (i < 0)
            continue;
        char *e = entryBytes(i);
        qToLittleEndian<qint32>(w.scrollX, e + 270);
        qToLittleEndian<qint32>(w.scrollY, e + 274);
        qToLittleEndian<qint32>(w.selectionStart, e + 262);
        qToLittleEndian<qint32>(w.selectionEnd, e + 266);
        e[260] = 1;
        if (w.isActiveView)
            e[261] = 1;
    }
}

WorkspaceRecord::LoadResult WorkspaceRecord::load(const QString &filePath)
{
    clear();
    QFile file;
    if (!RegularFile::openForReading(file, filePath))
        return LoadResult::NotOpenable;
    qint64 total = 0;
    while (total < Size) {
        const qint64 n = file.read(m_bytes.data() + total, Size - total);
        if (n < 0) {
            clear();
            return LoadResult::NotOpenable;
        }
        if (n == 0)
            break;
        total += n;
    }
    if (!isOpen()) {
        clear();
        return LoadResult::NotAWorkspace;
    }
    // A count outside 0..80 would send every entry loop past the record.
    setEntryCount(storedEntryCount());
    return LoadResult::Opened;
}

bool WorkspaceRecord::save(QString *errorString) const
{
    return saveTo(workspaceFilePath(), errorString);
}

bool WorkspaceRecord::saveTo(const QString &filePath, QString *errorString) const
{
    if (filePath.isEmpty()) {
        if (errorString)
            *errorString = QCoreApplication::translate("WorkspaceRecord", "No file name");
        return false;
    }
    return AtomicFileWriter::write(filePath, toByteArray(), errorString);
}

QByteArray WorkspaceRecord::toByteArray() const
{
    return QByteArray(m_bytes.data(), Size);
}

QString WorkspaceRecord::writeErrorMessage(const QString &filePath)
{
    return QStringLiteral("Error writing to workspace file: %1").arg(filePath);
}

QString WorkspaceRecord::refusalMessage(Change change, const QString &path)
{
    switch (change) {
    case Change::Ok:
        return QString();
    case Change::TooLong:
        return QStringLiteral("The path is too long for the workspace (at most %1 bytes):\n%2")
            .arg(MaxPathBytes)
            .arg(path);
    case Change::Full:
        return QStringLiteral("The workspace already holds %1 files; no more can be added.")
            .arg(MaxEntries);
    case Change::BadIndex:
        return QStringLiteral("No such workspace entry.");
    }
    return QString();
}

QString WorkspaceRecord::textAt(int offset, int fieldSize) const
{
    return RecordField::decodeText(m_bytes.data() + offset, fieldSize);
}

WorkspaceRecord::Change WorkspaceRecord::setTextAt(int offset, int fieldSize, const QString &text)
{
    return RecordField::encodeText(text, m_bytes.data() + offset, fieldSize) ? Change::Ok
                                                                             : Change::TooLong;
}
