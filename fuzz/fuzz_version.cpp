// The published version file: the input is the file as fetched. Whatever its bytes, the parse
// must agree with a plain line-by-line reading of the decoded text, and no field may hold a line
// break or run past its columns.

#include "FuzzSupport.h"
#include "options/VersionFile.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool same(const VersionFile::Entry &a, const VersionFile::Entry &b)
{
    return a.found == b.found && a.version == b.version && a.date == b.date
           && a.comment == b.comment;
}

bool holdsLineBreak(const QString &s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const QString text = VersionFile::decode(bytes);
    const VersionFile::Versions parsed = VersionFile::parse(bytes);

    // The same text split by Qt instead of by hand; the last line of a key wins.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    VersionFile::Versions expected;
    for (const QString &line : text.split(lineEnd)) {
        if (line.startsWith(VersionFile::IdeKey))
            expected.ide = VersionFile::columns(line);
        else if (line.startsWith(VersionFile::AssemblerKey))
            expected.assembler = VersionFile::columns(line);
    }
    if (!same(parsed.ide, expected.ide) || !same(parsed.assembler, expected.assembler))
        fuzz::fail("the parse differs from a line-by-line reading");

    for (const VersionFile::Entry *e : {&parsed.ide, &parsed.assembler}) {
        if (!e->found && (!e->version.isEmpty() || !e->date.isEmpty() || !e->comment.isEmpty()))
            fuzz::fail("a key that is not there has fields");
        if (e->version.size() > 8 || e->date.size() > 9)
            fuzz::fail("a field runs past its columns");
        if (holdsLineBreak(e->version) || holdsLineBreak(e->date) || holdsLineBreak(e->comment))
            fuzz::fail("a field holds a line break");
    }
    // Plain ASCII is read as it is, whatever the decoder makes of other bytes.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; })
        && text != QString::fromLatin1(bytes))
        fuzz::fail("ASCII text does not decode as itself");
    return 0;
}
