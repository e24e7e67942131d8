#include "make/ErrorAnchors.h"

#include "make/BuildOutput.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString ErrorMarker = QStringLiteral("):  error ");
const QString DiagMarker = QStringLiteral("):   diag ");

QString absolute(const QString &file)
{
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

} // namespace

QString ErrorAnchor::toolTip() const
{
    const QString head = QString::asprintf(kind == LineMark::Kind::Error ? "error %02Xh: "
                                                                         : "diag %02Xh: ",
                                           code)
                         + message;
    return explanation.isEmpty() ? head : head + QStringLiteral("\n\n") + explanation;
}

QString ErrorAnchor::statusText(int position, int count) const
{
    const QString first = message.section(QLatin1Char('\n'), 0, 0);
    return QStringLiteral("%1 %2 of %3: %4")
        .arg(kind == LineMark::Kind::Error ? QStringLiteral("Error") : QStringLiteral("Diagnostic"))
        .arg(position)
        .arg(count)
        .arg(first);
}

ErrorAnchors ErrorAnchors::fromOutput(const BuildOutput &output)
{
    ErrorAnchors result;
    ErrorAnchor *last = nullptr;
    for (int row = 0; row < output.count(); ++row) {
        const QByteArrayView bytes = output.entryBytes(row);
        if (BuildOutput::isContinuation(bytes)) {
            if (last)
                last->message += QLatin1Char('\n') + output.entry(row).trimmed();
            continue;
        }
        last = nullptr;
        const std::optional<ErrorLocation> at = BuildOutput::goToTarget(bytes);
        // Line 0 is the whole run's (a switch it did not know), not a line of a file.
        if (!at || at->line <= 0 || at->file.trimmed().isEmpty())
            continue;
        const QString text = output.entry(row);
        ErrorAnchor anchor;
        anchor.file = absolute(at->file.trimmed());
        anchor.line = at->line;
        qsizetype marker = text.indexOf(ErrorMarker);
        if (marker < 0) {
            marker = text.indexOf(DiagMarker);
            if (marker >= 0)
                anchor.kind = LineMark::Kind::Diagnostic;
        }
        if (marker >= 0) {
            const qsizetype at = marker + ErrorMarker.size();
            const QString code = text.mid(at, 3);
            if (code.size() == 3 && code[2] == QLatin1Char('h')) {
                anchor.code = BuildOutput::errorCode(code[0].toLatin1(), code[1].toLatin1());
                anchor.message = text.mid(at + 3).trimmed();
            } else {
                anchor.message = text.mid(at).trimmed();
            }
        } else {
            anchor.message = text.mid(text.indexOf(QLatin1String("):")) + 2).trimmed();
        }
        if (const std::optional<ErrorInfoMessage> info = BuildOutput::errorInfo(bytes))
            anchor.explanation = info->text;
        result.m_anchors.push_back(anchor);
        last = &result.m_anchors.back();
    }
    return result;
}

int ErrorAnchors::count() const
{
    return int(std::count_if(m_anchors.begin(), m_anchors.end(), [](const ErrorAnchor &a) {
        return !a.gone;
    }));
}

QStringList ErrorAnchors::files() const
{
    QStringList files;
    for (const ErrorAnchor &a : m_anchors) {
        if (!a.gone && !files.contains(a.file))
            files.append(a.file);
    }
    return files;
}

bool ErrorAnchors::sameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (absolute(a) == absolute(b))
        return true;
    // The file system is asked only about a name in another folder (a folder reached through a
    // link): the marks of every window are matched on each switch of window.
    if (QFileInfo(a).fileName() != QFileInfo(b).fileName())
        return false;
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

QList<LineMark> ErrorAnchors::marksFor(const QString &file) const
{
    QList<LineMark> marks;
    for (int i = 0; i < int(m_anchors.size()); ++i) {
        const ErrorAnchor &a = m_anchors[size_t(i)];
        if (!a.gone && sameFile(a.file, file))
            marks.append(LineMark{a.line, a.kind, a.toolTip(), i});
    }
    return marks;
}

void ErrorAnchors::takeMarks(const QString &file, const QList<LineMark> &marks)
{
    for (int i = 0; i < int(m_anchors.size()); ++i) {
        ErrorAnchor &a = m_anchors[size_t(i)];
        if (a.gone || !sameFile(a.file, file))
            continue;
        const auto mark = std::find_if(marks.begin(), marks.end(), [i](const LineMark &m) {
            return m.id == i;
        });
        if (mark == marks.end())
            a.gone = true;
        else
            a.line = mark->line;
    }
}

QStringList ErrorAnchors::fileOrder() const
{
    // Gone anchors count too: the files keep their places however their errors are fixed.
    QStringList files;
    for (const ErrorAnchor &a : m_anchors) {
        if (!files.contains(a.file))
            files.append(a.file);
    }
    return files;
}

std::vector<int> ErrorAnchors::order() const
{
    const QStringList fileOrder = this->fileOrder();
    std::vector<int> indexes;
    for (int i = 0; i < int(m_anchors.size()); ++i) {
        if (!m_anchors[size_t(i)].gone)
            indexes.push_back(i);
    }
    std::stable_sort(indexes.begin(), indexes.end(), [&](int x, int y) {
        const ErrorAnchor &a = m_anchors[size_t(x)];
        const ErrorAnchor &b = m_anchors[size_t(y)];
        const qsizetype fa = fileOrder.indexOf(a.file);
        const qsizetype fb = fileOrder.indexOf(b.file);
        return fa != fb ? fa < fb : a.line < b.line;
    });
    return indexes;
}

int ErrorAnchors::step(const QString &file, int line, bool forward)
{
    const std::vector<int> visit = order();
    if (visit.empty())
        return -1;
    const int n = int(visit.size());
    int at = -1;
    const auto last = std::find(visit.begin(), visit.end(), m_lastVisited);
    if (last != visit.end() && sameFile(m_anchors[size_t(m_lastVisited)].file, file)
        && m_anchors[size_t(m_lastVisited)].line == line) {
        // Still on the line it went to: on to the next anchor, whichever line that is.
        const int here = int(last - visit.begin());
        at = forward ? (here + 1) % n : (here - 1 + n) % n;
    } else {
        const QStringList fileOrder = this->fileOrder();
        qsizetype fileIndex = -1;
        for (qsizetype f = 0; f < fileOrder.size() && fileIndex < 0; ++f) {
            if (sameFile(fileOrder[f], file))
                fileIndex = f;
        }
        // Where the caret stands among the anchors: a file the run did not name stands before
        // them all.
        const auto before = [&](int index) { // the anchor lies before the caret
            const ErrorAnchor &a = m_anchors[size_t(index)];
            const qsizetype f = fileOrder.indexOf(a.file);
            return fileIndex >= 0 && (f < fileIndex || (f == fileIndex && a.line < line));
        };
        const auto atOrBefore = [&](int index) {
            const ErrorAnchor &a = m_anchors[size_t(index)];
            const qsizetype f = fileOrder.indexOf(a.file);
            return fileIndex >= 0 && (f < fileIndex || (f == fileIndex && a.line <= line));
        };
        if (forward) {
            at = 0;
            while (at < n && atOrBefore(visit[size_t(at)]))
                ++at;
            if (at == n)
                at = 0;
        } else {
            at = n - 1;
            while (at >= 0 && !before(visit[size_t(at)]))
                --at;
            if (at < 0)
                at = n - 1;
        }
    }
    m_lastVisited = visit[size_t(at)];
    return m_lastVisited;
}

int ErrorAnchors::positionOf(int index) const
{
    const std::vector<int> visit = order();
    const auto at = std::find(visit.begin(), visit.end(), index);
    return at == visit.end() ? 0 : int(at - visit.begin()) + 1;
}
