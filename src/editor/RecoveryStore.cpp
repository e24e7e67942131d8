#include "editor/RecoveryStore.h"

#include "base/AtomicFileWriter.h"
#include "base/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[] = "QVASMIDE recovery 1";
constexpr char kSuffix[] = ".recovery";
// A record is the user's text: more than the largest file the editor opens is not one of ours.
constexpr qint64 kMaxRecordBytes = qint64(600) << 20;

QByteArray escaped(const QString &s)
{
    return QUrl::toPercentEncoding(s);
}

QString unescaped(const QByteArray &s)
{
    return QUrl::fromPercentEncoding(s);
}

const char *endingName(LineEnding e)
{
    switch (e) {
    case LineEnding::Lf:
        return "lf";
    case LineEnding::Cr:
        return "cr";
    case LineEnding::CrLf:
        break;
    }
    return "crlf";
}

std::optional<LineEnding> endingFrom(const QByteArray &s)
{
    if (s == "crlf")
        return LineEnding::CrLf;
    if (s == "lf")
        return LineEnding::Lf;
    if (s == "cr")
        return LineEnding::Cr;
    return std::nullopt;
}

struct ProcessState
{
    bool ended = false; // a zombie: ended, not yet collected by its parent
    qint64 started = 0;
};

std::optional<ProcessState> processState(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray stat = file.read(4096);
    // "pid (name) state ...": the name may hold blanks and parentheses, so the fields are
    // counted from its last ')'. The state is field 3, the start time field 22.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    if (fields.size() < 20)
        return std::nullopt;
    bool ok = false;
    ProcessState state;
    state.ended = fields[0] == "Z" || fields[0] == "X";
    state.started = fields[19].toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return state;
}

} // namespace

qint64 RecoveryStore::processStart(qint64 pid)
{
    const std::optional<ProcessState> state = processState(pid);
    return state ? state->started : 0;
}

bool RecoveryStore::writerRuns(const RecoveryRecord &record)
{
    const qint64 pid = record.pid;
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // Another user's process is not ours: only this user writes into the private folder.
    if (::kill(pid_t(pid), 0) != 0)
        return false;
    const std::optional<ProcessState> state = processState(pid);
    if (!state)
        return true; // /proc hidden from us: the number is all there is
    if (state->ended)
        return false;
    return record.started == 0 || state->started == record.started;
}

RecoveryStore::RecoveryStore(const QString &folder)
    : m_folder(folder)
{}

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/qvasmide/recovery");
}

bool RecoveryStore::ensureFolder(QString *errorString)
{
    const QByteArray native = QFile::encodeName(m_folder);
    QDir().mkpath(QFileInfo(m_folder).absolutePath());
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (errorString)
            *errorString = QStringLiteral("%1 can't be made: %2")
                               .arg(m_folder, qt_error_string(errno));
        return false;
    }
    // Someone else's folder, or one others can read, must not hold the user's text.
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        if (errorString)
            *errorString = QStringLiteral("%1 is not a private folder of this user").arg(m_folder);
        return false;
    }
    if ((st.st_mode & 077) != 0)
        ::chmod(native.constData(), 0700);
    return true;
}

bool RecoveryStore::write(const QString &name, const RecoveryRecord &record, QString *errorString)
{
    if (!ensureFolder(errorString))
        return false;
    return AtomicFileWriter::write(m_folder + QLatin1Char('/') + name + QLatin1String(kSuffix),
                                   serialize(record),
                                   errorString);
}

void RecoveryStore::remove(const QString &name)
{
    QFile::remove(m_folder + QLatin1Char('/') + name + QLatin1String(kSuffix));
}

QList<RecoveryStore::Found> RecoveryStore::leftOver() const
{
    QList<Found> found;
    const QDir dir(m_folder);
    const QStringList files = dir.entryList({QStringLiteral("*") + QLatin1String(kSuffix)},
                                            QDir::Files | QDir::Hidden,
                                            QDir::Name);
    for (const QString &file : files) {
        QFile in;
        if (!RegularFile::openForReading(in, dir.filePath(file)) || in.size() > kMaxRecordBytes)
            continue;
        std::optional<RecoveryRecord> record = parse(in.readAll());
        if (!record || writerRuns(*record))
            continue;
        found.append({file.chopped(int(qstrlen(kSuffix))), std::move(*record)});
    }
    std::stable_sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
        return a.record.written < b.record.written;
    });
    return found;
}

QByteArray RecoveryStore::serialize(const RecoveryRecord &r)
{
    QByteArray out = kMagic;
    out += "\npath=" + escaped(r.path);
    out += "\ntitle=" + escaped(r.title);
    out += QByteArray("\nencoding=")
           + (r.format.encoding == TextEncoding::Windows1252 ? "windows-1252" : "utf-8");
    out += QByteArray("\nbom=") + (r.format.utf8Bom ? "1" : "0");
    out += QByteArray("\nstyle=") + endingName(r.format.lineEnding);
    out += "\nbreaks=";
    for (size_t i = 0; i < r.otherBreaks.size(); ++i) {
        out += (i ? "," : "") + QByteArray::number(r.otherBreaks[i].line) + ':'
               + endingName(r.otherBreaks[i].ending);
    }
    const FileStamp &s = r.diskStamp;
    out += "\ndisk=" + QByteArray::number(int(s.exists)) + ':' + QByteArray::number(s.device) + ':'
           + QByteArray::number(s.inode) + ':' + QByteArray::number(s.size) + ':'
           + QByteArray::number(s.modifiedNs);
    out += "\nwritten=" + QByteArray::number(r.written.toMSecsSinceEpoch());
    out += "\npid=" + QByteArray::number(r.pid);
    out += "\nstarted=" + QByteArray::number(r.started);
    out += "\n\n";
    out += r.text.toUtf8();
    return out;
}

std::optional<RecoveryRecord> RecoveryStore::parse(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf("\n\n");
    if (end < 0 || !bytes.startsWith(QByteArray(kMagic) + '\n'))
        return std::nullopt;
    RecoveryRecord r;
    bool ok = true;
    int seen = 0;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    for (qsizetype i = 1; i < lines.size() && ok; ++i) {
        const QByteArray &line = lines[i];
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        ++seen;
        if (key == "path") {
            r.path = unescaped(value);
        } else if (key == "title") {
            r.title = unescaped(value);
        } else if (key == "encoding") {
            ok = value == "utf-8" || value == "windows-1252";
            r.format.encoding = value == "windows-1252" ? TextEncoding::Windows1252
                                                        : TextEncoding::Utf8;
        } else if (key == "bom") {
            ok = value == "0" || value == "1";
            r.format.utf8Bom = value == "1";
        } else if (key == "style") {
            const std::optional<LineEnding> e = endingFrom(value);
            ok = e.has_value();
            r.format.lineEnding = e.value_or(LineEnding::CrLf);
        } else if (key == "breaks") {
            qsizetype last = -1;
            for (const QByteArray &item : value.split(',')) {
                if (item.isEmpty())
                    continue;
                const QList<QByteArray> parts = item.split(':');
                const std::optional<LineEnding> e = parts.size() == 2 ? endingFrom(parts[1])
                                                                      : std::nullopt;
                const qsizetype n = parts.value(0).toLongLong(&ok);
                // Ascending lines only: the encoder walks them in order.
                ok = ok && e && n > last;
                if (!ok)
                    break;
                r.otherBreaks.push_back({n, *e});
                last = n;
            }
        } else if (key == "disk") {
            const QList<QByteArray> parts = value.split(':');
            ok = parts.size() == 5;
            if (ok) {
                bool a = false, b = false, c = false, d = false, e = false;
                r.diskStamp.exists = parts[0].toInt(&a) != 0;
                r.diskStamp.device = parts[1].toULongLong(&b);
                r.diskStamp.inode = parts[2].toULongLong(&c);
                r.diskStamp.size = parts[3].toLongLong(&d);
                r.diskStamp.modifiedNs = parts[4].toLongLong(&e);
                ok = a && b && c && d && e;
            }
        } else if (key == "written") {
            r.written = QDateTime::fromMSecsSinceEpoch(value.toLongLong(&ok));
        } else if (key == "pid") {
            r.pid = value.toLongLong(&ok);
        } else if (key == "started") {
            // Not in records of earlier versions: those are told apart by the number alone.
            --seen;
            r.started = value.toLongLong(&ok);
        } else {
            --seen; // a key of a later version: ignored
        }
    }
    if (!ok || seen != 9)
        return std::nullopt;
    r.text = QString::fromUtf8(bytes.constData() + end + 2, bytes.size() - end - 2);
    return r;
}
