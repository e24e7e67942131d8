// Small-model sources as OMF-86 object files, read back record by record with a walker of the
// test's own: record order and checksums, the segments and the group, the LEDATA bytes, each
// fixup's location, kind, frame and target, the shared names and the start address; the errors
// of relocatable arithmetic; and the same programs written for NASM's -f obj, which must give
// the same bytes with fixups at the same places. The programs are in data/small/, where the
// linker's tests find them too.

#include "QvasmTestSupport.h"
#include "workspace/SourceTemplates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ProjectWizardOptions)

class tst_QvasmObject : public QObject
{
    Q_OBJECT

private slots:
    void programsAssembleCleanly_data();
    void programsAssembleCleanly();
    void skeletonRecordByRecord();
    void wizardSkeletonsHaveAStart_data();
    void wizardSkeletonsHaveAStart();
    void fixups_data();
    void fixups();
    void relocationErrors_data();
    void relocationErrors();
    void sharedNames();
    void ledataSplits_data();
    void ledataSplits();
    void startAddress_data();
    void startAddress();
    void stackSize_data();
    void stackSize();
    void listingShowsSegmentOffsets();
    void namedCodeSegmentRecordByRecord();
    void namedCodeSegmentFixups_data();
    void namedCodeSegmentFixups();
    void namedCodeSegmentErrors_data();
    void namedCodeSegmentErrors();
    void namedCodeSegmentStart();
    void namedCodeSegmentListing();
    void sameAsNasm_data();
    void sameAsNasm();
};

namespace {

// ---- a small OMF reader ------------------------------------------------------------------

struct Fix
{
    int segment = 0; // SEGDEF index of the LEDATA the fixup patches
    uint32_t offset = 0;
    int loc = 0; // 1 offset, 2 base, 3 pointer
    bool self = false;
    int frameMethod = 0, frameIndex = 0;
    int targetMethod = 0, targetIndex = 0;
};

struct SegDef
{
    QByteArray name, cls;
    int acbp = 0;
    uint32_t length = 0;
};

struct Public
{
    int group = 0, segment = 0;
    QByteArray name;
    uint32_t offset = 0;
};

struct Module
{
    QString error; // empty when every record was sound
    QList<int> types;
    QList<QByteArray> lnames{QByteArray()}; // index 0 unused
    QList<SegDef> segs{SegDef()};
    QList<QList<int>> groups{QList<int>()}; // segment indices per group; [0] unused
    QList<QByteArray> groupNames{QByteArray()};
    QList<QByteArray> externs{QByteArray()};
    QList<Public> publics;
    QMap<int, QByteArray> image; // segment index -> bytes from LEDATA
    QList<Fix> fixups;
    QList<int> ledataSizes;
    bool hasStart = false;
    int startFrameMethod = 0, startTarget = 0;
    uint32_t startOffset = 0;

    QByteArray segName(int i) const { return i > 0 && i < segs.size() ? segs[i].name : "?"; }
    int segIndex(const QByteArray &name) const
    {
        for (int i = 1; i < segs.size(); ++i) {
            if (segs[i].name == name)
                return i;
        }
        return 0;
    }
    QByteArray targetName(int method, int index) const
    {
        if (method == 0)
            return "seg " + segName(index);
        if (method == 1)
            return "group " + groupNames.value(index, "?");
        if (method == 2)
            return "ext " + externs.value(index, "?");
        return "?";
    }
    // "_TEXT:0001 base F5 group DGROUP": where, what, framed by what, aimed at what.
    QString describe(const Fix &f) const
    {
        static const char *kLoc[] = {"low", "offset", "base", "pointer"};
        QString s = QString("%1:%2 %3 ")
                        .arg(QString::fromLatin1(segName(f.segment)))
                        .arg(f.offset, 4, 16, QChar('0'))
                        .arg(f.self ? "self" : kLoc[f.loc & 3]);
        if (f.frameMethod == 5)
            s += "F5 ";
        else
            s += QString::fromLatin1(targetName(f.frameMethod, f.frameIndex)) + " ";
        return s + QString::fromLatin1(targetName(f.targetMethod, f.targetIndex));
    }
    QStringList fixupList() const
    {
        QStringList out;
        for (const Fix &f : fixups)
            out << describe(f);
        return out;
    }
};

class Reader
{
public:
    explicit Reader(const QByteArray &b)
        : m_b(b)
    {}
    bool atEnd() const { return m_p >= m_b.size(); }
    int byte() { return m_p < m_b.size() ? uint8_t(m_b[m_p++]) : (m_bad = true, 0); }
    uint32_t word()
    {
        const int lo = byte();
        return uint32_t(lo | (byte() << 8));
    }
    int index()
    {
        const int first = byte();
        return first & 0x80 ? ((first & 0x7F) << 8) | byte() : first;
    }
    QByteArray name()
    {
        const int n = byte();
        if (m_p + n > m_b.size()) {
            m_bad = true;
            return {};
        }
        const QByteArray s = m_b.mid(m_p, n);
        m_p += n;
        return s;
    }
    QByteArray rest()
    {
        const QByteArray s = m_b.mid(m_p);
        m_p = int(m_b.size());
        return s;
    }
    bool bad() const { return m_bad; }

private:
    QByteArray m_b;
    int m_p = 0;
    bool m_bad = false;
};

Module readObject(const QByteArray &obj)
{
    Module m;
    int pos = 0;
    int lastSeg = 0;
    uint32_t lastOffset = 0;
    while (pos < obj.size()) {
        if (pos + 3 > obj.size()) {
            m.error = "truncated record header";
            return m;
        }
        const int type = uint8_t(obj[pos]);
        const int len = uint8_t(obj[pos + 1]) | (uint8_t(obj[pos + 2]) << 8);
        if (pos + 3 + len > obj.size() || len < 1) {
            m.error = QString("record %1 runs past the end").arg(type, 2, 16);
            return m;
        }
        uint8_t sum = 0;
        for (int i = pos; i < pos + 3 + len; ++i)
            sum = uint8_t(sum + uint8_t(obj[i]));
        if (sum != 0) {
            m.error = QString("bad checksum in record %1").arg(type, 2, 16);
            return m;
        }
        m.types << type;
        Reader r(obj.mid(pos + 3, len - 1));
        pos += 3 + len;
        switch (type) {
        case 0x96:
            while (!r.atEnd())
                m.lnames << r.name();
            break;
        case 0x98: {
            SegDef s;
            s.acbp = r.byte();
            s.length = r.word();
            if (s.acbp & 0x02)
                s.length = 0x10000;
            s.name = m.lnames.value(r.index());
            s.cls = m.lnames.value(r.index());
            r.index();
            m.segs << s;
            break;
        }
        case 0x9A: {
            m.groupNames << m.lnames.value(r.index());
            QList<int> members;
            while (!r.atEnd()) {
                if (r.byte() != 0xFF)
                    m.error = "group member is not a segment index";
                members << r.index();
            }
            m.groups << members;
            break;
        }
        case 0x8C:
            while (!r.atEnd()) {
                m.externs << r.name();
                r.index();
            }
            break;
        case 0x90: {
            const int group = r.index();
            const int segment = r.index();
            if (segment == 0)
                r.word();
            while (!r.atEnd()) {
                Public p;
                p.group = group;
                p.segment = segment;
                p.name = r.name();
                p.offset = r.word();
                r.index();
                m.publics << p;
            }
            break;
        }
        case 0xA0: {
            lastSeg = r.index();
            lastOffset = r.word();
            const QByteArray data = r.rest();
            m.ledataSizes << int(data.size());
            QByteArray &img = m.image[lastSeg];
            if (img.size() < qsizetype(lastOffset + data.size()))
                img.resize(qsizetype(lastOffset + data.size()), '\0');
            img.replace(qsizetype(lastOffset), data.size(), data);
            break;
        }
        case 0x9C:
            while (!r.atEnd()) {
                const int b0 = r.byte();
                if (!(b0 & 0x80)) {
                    m.error = "THREAD subrecord: not read by this walker";
                    return m;
                }
                Fix f;
                f.segment = lastSeg;
                f.self = !(b0 & 0x40);
                f.loc = (b0 >> 2) & 0x0F;
                const uint32_t at = uint32_t(((b0 & 3) << 8) | r.byte());
                f.offset = lastOffset + at;
                const int fixdat = r.byte();
                if (fixdat & 0x88) {
                    m.error = "fixup through a thread";
                    return m;
                }
                f.frameMethod = (fixdat >> 4) & 7;
                if (f.frameMethod < 3)
                    f.frameIndex = r.index();
                f.targetMethod = fixdat & 3;
                f.targetIndex = r.index();
                if (!(fixdat & 4))
                    r.word(); // a displacement
                if (at + (f.loc == 3 ? 4u : 2u)
                    > uint32_t(m.ledataSizes.value(m.ledataSizes.size() - 1)))
                    m.error = "fixup outside its LEDATA";
                m.fixups << f;
            }
            break;
        case 0x8A: {
            const int t = r.byte();
            m.hasStart = t & 0x40;
            if (m.hasStart) {
                const int fixdat = r.byte();
                m.startFrameMethod = (fixdat >> 4) & 7;
                if (m.startFrameMethod < 3)
                    r.index();
                m.startTarget = r.index();
                m.startOffset = fixdat & 4 ? 0 : r.word();
            }
            break;
        }
        default:
            break;
        }
        if (r.bad())
            m.error = QString("record %1 ends early").arg(type, 2, 16);
    }
    return m;
}

// ---- assembling -------------------------------------------------------------------------

struct Built
{
    QByteArray object;
    Module module;
    Assembled result;
};

Built build(const QByteArray &source, const QMap<QString, QByteArray> &includes = {})
{
    Built b;
    b.result = assembleMemory(source, includes);
    b.object = QByteArray::fromHex(b.result.bytes);
    b.module = readObject(b.object);
    return b;
}

QString dataDir()
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/tests/tools/qvasm/data/small/";
}

QByteArray dataFile(const QString &name)
{
    QFile f(dataDir() + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray hex(const QByteArray &b)
{
    return b.toHex(' ').toUpper();
}

// A program with a code segment FARCODE after _TEXT: `code` goes at offset 0 of _TEXT,
// `far` at offset 0 of FARCODE, then flab: (a near label) and fproc (a far procedure).
QByteArray namedProgram(const QByteArray &code,
                        const QByteArray &far = "nop",
                        const QByteArray &data = {})
{
    return ".model small\n"
           ".code\n"
           "start: "
           + code
           + "\n"
             "lab:    ret\n"
             ".code farcode\n"
           + far
           + "\n"
             "flab:   ret\n"
             "fproc   proc far\n"
             "        ret\n"
             "fproc   endp\n"
             ".data\n"
             "v       dw 1\n"
           + data + "\n.end\n";
}

// Code lines go at offset 0 of _TEXT, data lines at offset 4 of _DATA (after v and v2).
QByteArray smallProgram(const QByteArray &code, const QByteArray &data = {})
{
    return ".model small\n"
           ".external ex, xv:word, fx:far\n"
           ".code\n"
           "start: "
           + code
           + "\n"
             "lab:    ret\n"
             "fp      proc far\n"
             "        ret\n"
             "fp      endp\n"
             ".data\n"
             "v       db 1, 2\n"
             "v2      dw 3\n"
           + data + "\n.end\n";
}

} // namespace

void tst_QvasmObject::programsAssembleCleanly_data()
{
    QTest::addColumn<QString>("file");
    for (const char *f :
         {"hello.asm", "farproc.asm", "twomain.asm", "twoutil.asm", "datafix.asm", "farseg.asm"})
        QTest::newRow(f) << QString(f);
}

void tst_QvasmObject::programsAssembleCleanly()
{
    QFETCH(QString, file);
    const QByteArray source = dataFile(file);
    QVERIFY2(!source.isEmpty(), qPrintable(dataDir() + file));
    const Built b = build(source);
    QVERIFY2(b.result.errors == 0 && b.result.diags == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
}

void tst_QvasmObject::skeletonRecordByRecord()
{
    const Built b = build(dataFile("hello.asm"));
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    const Module &m = b.module;
    QVERIFY2(m.error.isEmpty(), qPrintable(m.error));
    // THEADR COMENT LNAMES SEGDEF*3 GRPDEF LEDATA FIXUPP LEDATA MODEND
    QCOMPARE(m.types,
             (QList<int>{0x80, 0x88, 0x96, 0x98, 0x98, 0x98, 0x9A, 0xA0, 0x9C, 0xA0, 0x8A}));
    QCOMPARE(m.segs.size(), 4);
    QCOMPARE(m.segs[1].name, "_TEXT");
    QCOMPARE(m.segs[1].cls, "CODE");
    QCOMPARE(m.segs[1].acbp, 0x48); // word aligned, public
    QCOMPARE(m.segs[1].length, 17u);
    QCOMPARE(m.segs[2].name, "_DATA");
    QCOMPARE(m.segs[2].cls, "DATA");
    QCOMPARE(m.segs[2].acbp, 0x48);
    QCOMPARE(m.segs[2].length, 8u);
    QCOMPARE(m.segs[3].name, "STACK");
    QCOMPARE(m.segs[3].cls, "STACK");
    QCOMPARE(m.segs[3].acbp, 0x74); // paragraph aligned, combined as a stack
    QCOMPARE(m.segs[3].length, 1024u);
    QCOMPARE(m.groupNames.value(1), "DGROUP");
    QCOMPARE(m.groups.value(1), (QList<int>{2, 3}));
    QCOMPARE(hex(m.image[1]), "B8 00 00 8E D8 B4 09 BA 00 00 CD 21 B8 00 4C CD 21");
    QCOMPARE(m.image[2], QByteArray("Hello\r\n$"));
    QCOMPARE(m.fixupList(),
             (QStringList{"_TEXT:0001 base F5 group DGROUP",
                          "_TEXT:0008 offset group DGROUP seg _DATA"}));
    QVERIFY(m.hasStart);
    QCOMPARE(m.segName(m.startTarget), "_TEXT");
    QCOMPARE(m.startOffset, 0u);
}

void tst_QvasmObject::wizardSkeletonsHaveAStart_data()
{
    QTest::addColumn<ProjectWizardOptions>("options");
    ProjectWizardOptions o;
    QTest::newRow("plain") << o;
    o.stack = true;
    QTest::newRow("stack") << o;
    o.start = true; // offered, but only a .COM skeleton writes .start
    o.cpu = true;
    o.cpuDirective = ".386";
    QTest::newRow("stack-start-cpu") << o;
}

void tst_QvasmObject::wizardSkeletonsHaveAStart()
{
    QFETCH(ProjectWizardOptions, options);
    const Built b = build(SourceTemplates::projectSkeleton(ProjectKind::Exe, options).toLatin1());
    QVERIFY2(b.result.errors == 0 && b.result.diags == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
    QCOMPARE(hex(b.module.image[1]), "B8 00 4C CD 21");
    QVERIFY(b.module.hasStart);
    QCOMPARE(b.module.startOffset, 0u);
    QCOMPARE(b.module.segs.size(), options.stack ? 4 : 3);
}

void tst_QvasmObject::fixups_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("bytes"); // of the code line, or of the data line if any
    QTest::addColumn<QStringList>("fixups");

    QTest::newRow("data-group-base")
        << QByteArray("mov ax, @data") << QByteArray() << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 group DGROUP"};
    QTest::newRow("code-segment-base")
        << QByteArray("mov ax, @code") << QByteArray() << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 seg _TEXT"};
    QTest::newRow("offset-of-data")
        << QByteArray("mov dx, offset v2") << QByteArray() << QByteArray("BA 02 00")
        << QStringList{"_TEXT:0001 offset group DGROUP seg _DATA"};
    QTest::newRow("offset-plus-constant")
        << QByteArray("mov dx, offset v2+3") << QByteArray() << QByteArray("BA 05 00")
        << QStringList{"_TEXT:0001 offset group DGROUP seg _DATA"};
    QTest::newRow("variable-direct")
        << QByteArray("mov ax, v2") << QByteArray() << QByteArray("A1 02 00")
        << QStringList{"_TEXT:0001 offset group DGROUP seg _DATA"};
    // v is at offset 0: the displacement must still be a word the linker can complete.
    QTest::newRow("displacement-stays-a-word")
        << QByteArray("mov al, [bx+v]") << QByteArray() << QByteArray("8A 87 00 00")
        << QStringList{"_TEXT:0002 offset group DGROUP seg _DATA"};
    QTest::newRow("optimiser-keeps-the-full-immediate")
        << QByteArray("addw bx, offset v") << QByteArray() << QByteArray("81 C3 00 00")
        << QStringList{"_TEXT:0002 offset group DGROUP seg _DATA"};
    QTest::newRow("offset-of-code")
        << QByteArray("mov ax, offset lab") << QByteArray() << QByteArray("B8 03 00")
        << QStringList{"_TEXT:0001 offset F5 seg _TEXT"};
    QTest::newRow("call-far-procedure")
        << QByteArray("call fp") << QByteArray() << QByteArray("9A 06 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 seg _TEXT"};
    QTest::newRow("jmp-far-label")
        << QByteArray("jmp far lab") << QByteArray() << QByteArray("EA 05 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 seg _TEXT"};
    QTest::newRow("call-near-external")
        << QByteArray("call ex") << QByteArray() << QByteArray("E8 00 00")
        << QStringList{"_TEXT:0001 self F5 ext EX"};
    QTest::newRow("jmp-near-external")
        << QByteArray("jmp ex") << QByteArray() << QByteArray("E9 00 00")
        << QStringList{"_TEXT:0001 self F5 ext EX"};
    QTest::newRow("call-far-external")
        << QByteArray("call fx") << QByteArray() << QByteArray("9A 00 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 ext FX"};
    QTest::newRow("data-external")
        << QByteArray("mov ax, xv") << QByteArray() << QByteArray("A1 00 00")
        << QStringList{"_TEXT:0001 offset group DGROUP ext XV"};
    // An equ of a data address, used before it is defined: still framed as data.
    QTest::newRow("forward-equ-of-data")
        << QByteArray("nop") << QByteArray("dw offset p\np equ v3+1\nv3 db 0")
        << QByteArray("07 00") << QStringList{"_DATA:0004 offset group DGROUP seg _DATA"};
    // Resolved here: no fixup.
    QTest::newRow("difference-is-a-number")
        << QByteArray("mov cx, v2 - v") << QByteArray() << QByteArray("B9 02 00") << QStringList{};
    QTest::newRow("jump-in-segment")
        << QByteArray("jmp short lab") << QByteArray() << QByteArray("EB 00") << QStringList{};
    QTest::newRow("call-in-segment")
        << QByteArray("call lab") << QByteArray() << QByteArray("E8 00 00") << QStringList{};
    // Data.
    QTest::newRow("dw-offset") << QByteArray("nop") << QByteArray("dw offset v2")
                               << QByteArray("02 00")
                               << QStringList{"_DATA:0004 offset group DGROUP seg _DATA"};
    QTest::newRow("dw-code-label")
        << QByteArray("nop") << QByteArray("dw lab") << QByteArray("01 00")
        << QStringList{"_DATA:0004 offset F5 seg _TEXT"};
    QTest::newRow("dd-far-label") << QByteArray("nop") << QByteArray("dd fp")
                                  << QByteArray("02 00 00 00")
                                  << QStringList{"_DATA:0004 pointer F5 seg _TEXT"};
    QTest::newRow("dw-group-base")
        << QByteArray("nop") << QByteArray("dw @data") << QByteArray("00 00")
        << QStringList{"_DATA:0004 base F5 group DGROUP"};
    QTest::newRow("dw-external") << QByteArray("nop") << QByteArray("dw ex, 7")
                                 << QByteArray("00 00 07 00")
                                 << QStringList{"_DATA:0004 offset F5 ext EX"};
    QTest::newRow("dup-of-offsets")
        << QByteArray("nop") << QByteArray("dw 2 dup (offset v)") << QByteArray("00 00 00 00")
        << QStringList{"_DATA:0004 offset group DGROUP seg _DATA",
                       "_DATA:0006 offset group DGROUP seg _DATA"};
}

void tst_QvasmObject::fixups()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fixups);
    const Built b = build(smallProgram(code, data));
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
    const int n = int(bytes.count(' ')) + 1;
    if (data.isEmpty())
        QCOMPARE(hex(b.module.image[1].left(n)), bytes);
    else
        QCOMPARE(hex(b.module.image[2].mid(4, n)), bytes);
    QCOMPARE(b.module.fixupList(), fixups);
}

void tst_QvasmObject::relocationErrors_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("line"); // 0: assembles cleanly
    QTest::addColumn<int>("code");

    // Line 4 is the code line, line 12 the data line of smallProgram().
    QTest::newRow("product-of-an-address") << smallProgram("mov ax, lab * 2") << 4 << 0x37;
    QTest::newRow("address-shifted") << smallProgram("mov ax, lab shr 4") << 4 << 0x37;
    QTest::newRow("address-plus-constant") << smallProgram("mov ax, lab + 2") << 0 << 0;
    QTest::newRow("difference-across-segments") << smallProgram("mov ax, lab - v") << 4 << 0x37;
    QTest::newRow("difference-in-a-segment") << smallProgram("mov ax, v2 - v") << 0 << 0;
    QTest::newRow("length-from-dollar-in-data")
        << smallProgram("mov cx, len", "msg db 'abc'\nlen equ $ - msg") << 0 << 0;
    QTest::newRow("dollar-in-code-minus-data") << smallProgram("mov cx, $ - v") << 4 << 0x37;
    QTest::newRow("negated-address") << smallProgram("mov ax, -lab") << 4 << 0x37;
    QTest::newRow("address-in-a-byte-immediate") << smallProgram("mov al, offset v") << 4 << 0x37;
    QTest::newRow("address-in-a-byte") << smallProgram("nop", "db v") << 12 << 0x37;
    QTest::newRow("address-in-a-word") << smallProgram("nop", "dw v") << 0 << 0;
    QTest::newRow("conditional-jump-to-external") << smallProgram("jz ex") << 4 << 0x37;
    QTest::newRow("short-jump-to-external") << smallProgram("jmp short ex") << 4 << 0x37;
    QTest::newRow("32-bit-displacement")
        << QByteArray(".model small\n.386\n.code\n mov ax, [ebx+v]\n ret\n.data\nv dw 0\n.end\n")
        << 4 << 0x37;
    QTest::newRow("equ-of-a-product") << smallProgram("nop", "x equ v2 * 2") << 12 << 0x37;
    // Code in _DATA: no label of _TEXT is near it, though a far procedure is reachable.
    QTest::newRow("near-jump-from-data") << smallProgram("nop", "jmp lab") << 12 << 0x37;
    QTest::newRow("near-call-from-data") << smallProgram("nop", "call lab") << 12 << 0x37;
    QTest::newRow("far-call-from-data") << smallProgram("nop", "call fp") << 0 << 0;
    // Uninitialised space must end its segment's image, not the whole object's.
    QTest::newRow("uninitialised-end-of-code-then-data")
        << QByteArray(".model small\n.code\nret\ndup 10,?\n.data\nv db 1\n.end\n") << 0 << 0;
    QTest::newRow("uninitialised-then-code")
        << QByteArray(".model small\n.code\ndup 10,?\nret\n.data\nv db 1\n.end\n") << 4 << 0x5C;
    QTest::newRow("uninitialised-then-data-in-a-com")
        << QByteArray(".model tiny\n.code\nret\ndup 10,?\n.data\nv db 1\n.end\n") << 6 << 0x5C;
    // orgnf would part the location counter from the bytes' places in the records.
    QTest::newRow("orgnf-in-small") << smallProgram("nop\norgnf 0") << 5 << 0x53;
    QTest::newRow("org-forward-in-small") << smallProgram("nop\norg 10h") << 0 << 0;
    // The object-only forms in a .COM source.
    QTest::newRow("external-in-tiny")
        << QByteArray(".model tiny\n.external foo\n.code\nret\n.end\n") << 2 << 0x54;
    QTest::newRow("data-base-in-tiny")
        << QByteArray(".model tiny\n.code\nmov ax, @data\nret\n.end\n") << 3 << 0x54;
    // .model small is known now; an unknown model still is not.
    QTest::newRow("small-model") << QByteArray(".model small\n.code\nret\n.end\n") << 0 << 0;
    QTest::newRow("unknown-model") << QByteArray(".model huge\n.code\nret\n.end\n") << 1 << 0x8E;
    // Names shared with other modules: at most 64 characters.
    QTest::newRow("name-of-64") << QByteArray(".model small\n.external " + QByteArray(64, 'n')
                                              + "\n.code\nret\n.end\n")
                                << 0 << 0;
    QTest::newRow("name-of-65") << QByteArray(".model small\n.external " + QByteArray(65, 'n')
                                              + "\n.code\nret\n.end\n")
                                << 2 << 0x6F;
    // At most 7FFFh shared names: an OMF index goes no higher.
    const auto names = [](int n) {
        QByteArray s = ".model small\n";
        for (int i = 0; i < n; i += 100) {
            QByteArrayList line;
            for (int k = i; k < std::min(n, i + 100); ++k)
                line << "n" + QByteArray::number(k);
            s += ".external " + line.join(',') + "\n";
        }
        return s + ".code\nret\n.end\n";
    };
    QTest::newRow("32767-names") << names(0x7FFF) << 0 << 0;
    QTest::newRow("32768-names") << names(0x8000) << 329 << 0x6E;
    QTest::newRow("unknown-type") << QByteArray(
        ".model small\n.external foo:banana\n.code\nret\n.end\n")
                                  << 2 << 0x2B;
    QTest::newRow("external-without-names")
        << QByteArray(".model small\n.external\n.code\nret\n.end\n") << 2 << 0x2E;
    // The start is an address in the code.
    QTest::newRow("start-in-data")
        << QByteArray(".model small\n.code\nret\n.data\n.start\n.end\n") << 5 << 0x22;
    QTest::newRow("keyword-as-name")
        << QByteArray(".model small\n.external mov\n.code\nret\n.end\n") << 2 << 0x22;
}

void tst_QvasmObject::relocationErrors()
{
    QFETCH(QByteArray, source);
    QFETCH(int, line);
    QFETCH(int, code);
    const Assembled r = assembleMemory(source);
    if (line == 0) {
        QVERIFY2(r.errors == 0, qPrintable(r.describe()));
        return;
    }
    QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
    QCOMPARE(r.errors, 1);
}

void tst_QvasmObject::sharedNames()
{
    const Built main = build(dataFile("twomain.asm"));
    QVERIFY2(main.result.errors == 0 && main.module.error.isEmpty(),
             qPrintable(main.result.describe() + main.module.error));
    QCOMPARE(main.module.externs.mid(1), (QList<QByteArray>{"PRINTMSG", "COUNT"}));
    QCOMPARE(main.module.publics.size(), 1);
    const Public &g = main.module.publics[0];
    QCOMPARE(g.name, "GREETING");
    QCOMPARE(g.group, 1);
    QCOMPARE(main.module.segName(g.segment), "_DATA");
    QCOMPARE(g.offset, 0u);
    QVERIFY(main.module.hasStart);
    QCOMPARE(main.module.fixupList(),
             (QStringList{"_TEXT:0001 base F5 group DGROUP",
                          "_TEXT:0006 offset group DGROUP seg _DATA",
                          "_TEXT:0009 self F5 ext PRINTMSG",
                          "_TEXT:000c self F5 ext PRINTMSG",
                          "_TEXT:000f offset group DGROUP ext COUNT"}));

    const Built util = build(dataFile("twoutil.asm"));
    QVERIFY2(util.result.errors == 0 && util.module.error.isEmpty(),
             qPrintable(util.result.describe() + util.module.error));
    QCOMPARE(util.module.externs.size(), 1); // nothing from outside
    QCOMPARE(util.module.publics.size(), 2);
    QCOMPARE(util.module.publics[0].name, "PRINTMSG");
    QCOMPARE(util.module.segName(util.module.publics[0].segment), "_TEXT");
    QCOMPARE(util.module.publics[0].group, 0);
    QCOMPARE(util.module.publics[1].name, "COUNT");
    QCOMPARE(util.module.segName(util.module.publics[1].segment), "_DATA");
    QVERIFY(!util.module.hasStart);       // no .start and no .exit: not a main module
    QCOMPARE(util.module.segs.size(), 3); // no .stack: no stack segment

    // A number is shared too, with no segment; a structure type is not.
    const Built numbers = build(".model small\n.external limit, pair, tail\nlimit equ 1234h\n"
                                "pair struct\na dw ?\npair ends\n.code\ntail: ret\n.end\n");
    QVERIFY2(numbers.result.errors == 0 && numbers.module.error.isEmpty(),
             qPrintable(numbers.result.describe() + numbers.module.error));
    QCOMPARE(numbers.module.publics.size(), 2);
    QCOMPARE(numbers.module.publics[0].name, "TAIL");
    QCOMPARE(numbers.module.publics[1].name, "LIMIT");
    QCOMPARE(numbers.module.publics[1].segment, 0);
    QCOMPARE(numbers.module.publics[1].offset, 0x1234u);
    QCOMPARE(numbers.module.externs.size(), 1);
}

void tst_QvasmObject::ledataSplits_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("sizes"); // of the _DATA records
    QTest::addColumn<QStringList>("fixups");
    QTest::newRow("1024-bytes-in-one")
        << QByteArray("dup 1020,1") << QList<int>{1024} << QStringList{};
    QTest::newRow("1025-bytes-in-two")
        << QByteArray("dup 1021,1") << QList<int>{1024, 1} << QStringList{};
    // A word at 1023 would straddle the records: the first ends before it.
    QTest::newRow("word-fixup-kept-whole")
        << QByteArray("dup 1019,1\n dw offset v\n db 5") << QList<int>{1023, 3}
        << QStringList{"_DATA:03ff offset group DGROUP seg _DATA"};
    QTest::newRow("word-fixup-at-the-end")
        << QByteArray("dup 1018,1\n dw offset v") << QList<int>{1024}
        << QStringList{"_DATA:03fe offset group DGROUP seg _DATA"};
}

void tst_QvasmObject::ledataSplits()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, sizes);
    QFETCH(QStringList, fixups);
    const Built b = build(".model small\n.code\nret\n.data\nv dw 0,0\n " + data + "\n.end\n");
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
    QCOMPARE(b.module.ledataSizes.mid(1), sizes); // [0] is the code's
    QCOMPARE(b.module.fixupList(), fixups);
}

void tst_QvasmObject::startAddress_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("hasStart");
    QTest::addColumn<uint>("offset");
    QTest::newRow("start-after-code") << QByteArray("nop\nnop\n.start\n.exit") << true << 2u;
    QTest::newRow("exit-without-start") << QByteArray("nop\n.exit") << true << 0u;
    QTest::newRow("exit-after-org") << QByteArray("org 10h\nnop\n.exit") << true << 0x10u;
    QTest::newRow("neither") << QByteArray("f proc\nret\nf endp") << false << 0u;
    // A module of routines may end the program on an error: that makes it no main module.
    QTest::newRow("exit-in-a-procedure")
        << QByteArray("f proc\ncmp ax, 1\njne @f\n.exit 1\n@@: ret\nf endp") << false << 0u;
}

void tst_QvasmObject::startAddress()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, hasStart);
    QFETCH(uint, offset);
    const Built b = build(".model small\n.code\n" + code + "\n.end\n");
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
    QCOMPARE(b.module.hasStart, hasStart);
    if (hasStart) {
        QCOMPARE(b.module.segName(b.module.startTarget), "_TEXT");
        QCOMPARE(b.module.startOffset, offset);
    }
}

void tst_QvasmObject::stackSize_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("size"); // 0: refused with 79h
    QTest::newRow("default") << QByteArray(".stack") << 1024;
    QTest::newRow("smallest") << QByteArray(".stack 64") << 64;
    QTest::newRow("below-smallest") << QByteArray(".stack 63") << 0;
    QTest::newRow("largest") << QByteArray(".stack 0FFFEh") << 0xFFFE;
    QTest::newRow("above-largest") << QByteArray(".stack 0FFFFh") << 0;
}

void tst_QvasmObject::stackSize()
{
    QFETCH(QByteArray, line);
    QFETCH(int, size);
    const Built b = build(".model small\n" + line + "\n.code\n.exit\n.end\n");
    if (size == 0) {
        QVERIFY2(b.result.hasMessage(2, 0x79), qPrintable(b.result.describe()));
        return;
    }
    QVERIFY2(b.result.errors == 0 && b.module.error.isEmpty(), qPrintable(b.result.describe()));
    QCOMPARE(b.module.segs.value(3).name, "STACK");
    QCOMPARE(b.module.segs.value(3).length, uint32_t(size));
}

void tst_QvasmObject::listingShowsSegmentOffsets()
{
    MemoryFiles loader;
    loader.files.insert("/src/main.asm", dataFile("datafix.asm"));
    qvasm::AssemblerOptions options;
    options.listing = true;
    qvasm::Assembler a(options, &loader);
    a.assembleFile("/src/main.asm");
    QCOMPARE(a.messages().errors(), 0u);
    QMap<QString, int64_t> at;
    for (const qvasm::ListingLine &l : a.listing())
        at.insert(QString::fromStdString(l.text).simplified().section(' ', 0, 0), l.address);
    QCOMPARE(at.value(".model"), 0);
    QCOMPARE(at.value("mov"), 0x1D); // the last mov: mov ah, 9 in the far procedure
    QCOMPARE(at.value("table"), 0);  // the data starts its own segment
    QCOMPARE(at.value("farptr"), 4);
    QCOMPARE(at.value("msg"), 0x0A);
}

void tst_QvasmObject::namedCodeSegmentRecordByRecord()
{
    const Built b = build(dataFile("farseg.asm"));
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    const Module &m = b.module;
    QVERIFY2(m.error.isEmpty(), qPrintable(m.error));
    // THEADR COMENT LNAMES SEGDEF*4 GRPDEF, then each segment's data and fixups, MODEND.
    QCOMPARE(m.types.mid(0, 8), (QList<int>{0x80, 0x88, 0x96, 0x98, 0x98, 0x98, 0x98, 0x9A}));
    QCOMPARE(m.lnames.mid(1),
             (QList<QByteArray>{"", "DGROUP", "_TEXT", "CODE", "_DATA", "DATA", "STACK", "FARCODE"}));
    QCOMPARE(m.segs.size(), 5);
    // The fixed segments keep their indices; the new one comes after them.
    QCOMPARE(m.segs[1].name, "_TEXT");
    QCOMPARE(m.segs[2].name, "_DATA");
    QCOMPARE(m.segs[3].name, "STACK");
    QCOMPARE(m.segs[4].name, "FARCODE");
    QCOMPARE(m.segs[4].cls, "CODE");
    QCOMPARE(m.segs[4].acbp, 0x48); // word aligned, public, as _TEXT
    QCOMPARE(m.segs[4].length, 10u);
    QCOMPARE(m.groups.value(1), (QList<int>{2, 3})); // never in DGROUP
    QCOMPARE(hex(m.image[4]), "B4 09 CD 21 CB B8 00 4C CD 21");
    QCOMPARE(m.fixupList(),
             (QStringList{"_TEXT:0001 base F5 group DGROUP",
                          "_TEXT:0006 offset group DGROUP seg _DATA",
                          "_TEXT:0009 pointer F5 seg FARCODE",
                          "_TEXT:000e offset group DGROUP seg _DATA",
                          "_TEXT:0012 offset group DGROUP seg _DATA",
                          "_TEXT:0015 base F5 seg FARCODE",
                          "_TEXT:001a pointer F5 seg FARCODE",
                          "_DATA:001f pointer F5 seg FARCODE"}));
    QVERIFY(m.hasStart);
    QCOMPARE(m.segName(m.startTarget), "_TEXT");

    // A name it shares lies in its own segment.
    const Built shared = build(
        namedProgram("nop").replace(".code\n", ".external fproc, flab\n.code\n"));
    QVERIFY2(shared.result.errors == 0 && shared.module.error.isEmpty(),
             qPrintable(shared.result.describe() + shared.module.error));
    QStringList publics;
    for (const Public &p : shared.module.publics)
        publics << QString("%1 %2 %3 %4")
                       .arg(QString(p.name), QString(shared.module.segName(p.segment)))
                       .arg(p.group)
                       .arg(p.offset);
    QCOMPARE(publics, (QStringList{"FPROC FARCODE 0 2", "FLAB FARCODE 0 1"}));
}

void tst_QvasmObject::namedCodeSegmentFixups_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("segment"); // whose first bytes are checked
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("fixups");

    QTest::newRow("call-far-procedure-there")
        << namedProgram("call fproc") << QByteArray("_TEXT") << QByteArray("9A 02 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 seg FARCODE"};
    QTest::newRow("call-far-ptr-label-there")
        << namedProgram("call far ptr flab") << QByteArray("_TEXT") << QByteArray("9A 01 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 seg FARCODE"};
    QTest::newRow("jmp-far-there")
        << namedProgram("jmp far flab") << QByteArray("_TEXT") << QByteArray("EA 01 00 00 00")
        << QStringList{"_TEXT:0001 pointer F5 seg FARCODE"};
    QTest::newRow("jmp-far-back-to-text")
        << namedProgram("nop", "jmp far lab") << QByteArray("FARCODE")
        << QByteArray("EA 01 00 00 00") << QStringList{"FARCODE:0001 pointer F5 seg _TEXT"};
    QTest::newRow("offset-of-a-label-there")
        << namedProgram("mov ax, offset flab") << QByteArray("_TEXT") << QByteArray("B8 01 00")
        << QStringList{"_TEXT:0001 offset F5 seg FARCODE"};
    // Within the segment its own offsets need nothing from the linker.
    QTest::newRow("near-call-within-it")
        << namedProgram("nop", "call flab") << QByteArray("FARCODE") << QByteArray("E8 00 00")
        << QStringList{};
    QTest::newRow("short-jump-within-it")
        << namedProgram("nop", "jmp short flab") << QByteArray("FARCODE") << QByteArray("EB 00")
        << QStringList{};
    QTest::newRow("anonymous-label-within-it")
        << namedProgram("nop", "@@: jmp short @b") << QByteArray("FARCODE") << QByteArray("EB FE")
        << QStringList{};
    QTest::newRow("difference-within-it")
        << namedProgram("nop", "mov cx, fproc - flab") << QByteArray("FARCODE")
        << QByteArray("B9 01 00") << QStringList{};
    QTest::newRow("dollar-there") << namedProgram("nop", "mov ax, $") << QByteArray("FARCODE")
                                  << QByteArray("B8 00 00")
                                  << QStringList{"FARCODE:0001 offset F5 seg FARCODE"};
    QTest::newRow("code-base-stays-text")
        << namedProgram("nop", "mov ax, @code") << QByteArray("FARCODE") << QByteArray("B8 00 00")
        << QStringList{"FARCODE:0001 base F5 seg _TEXT"};
    QTest::newRow("dd-far-procedure-in-data")
        << namedProgram("nop", "nop", "dd fproc") << QByteArray("_DATA")
        << QByteArray("01 00 02 00 00 00") << QStringList{"_DATA:0002 pointer F5 seg FARCODE"};
    QTest::newRow("dw-label-in-data")
        << namedProgram("nop", "nop", "dw flab") << QByteArray("_DATA") << QByteArray("01 00 01 00")
        << QStringList{"_DATA:0002 offset F5 seg FARCODE"};
    // seg: the segment's paragraph, DGROUP's for a variable.
    QTest::newRow("seg-of-a-procedure-there")
        << namedProgram("mov ax, seg fproc") << QByteArray("_TEXT") << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 seg FARCODE"};
    QTest::newRow("seg-of-a-label-in-text")
        << namedProgram("mov ax, seg lab") << QByteArray("_TEXT") << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 seg _TEXT"};
    QTest::newRow("seg-of-a-variable")
        << namedProgram("mov ax, seg v") << QByteArray("_TEXT") << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 group DGROUP"};
    QTest::newRow("seg-of-a-far-external")
        << namedProgram("mov ax, seg ex").replace(".code\n", ".external ex:far\n.code\n")
        << QByteArray("_TEXT") << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base F5 ext EX"};
    QTest::newRow("seg-of-a-data-external")
        << namedProgram("mov ax, seg xv").replace(".code\n", ".external xv:word\n.code\n")
        << QByteArray("_TEXT") << QByteArray("B8 00 00")
        << QStringList{"_TEXT:0001 base group DGROUP ext XV"};
    QTest::newRow("seg-through-a-later-equ")
        << namedProgram("mov ax, fseg", "nop", "fseg equ seg fproc") << QByteArray("_TEXT")
        << QByteArray("B8 00 00") << QStringList{"_TEXT:0001 base F5 seg FARCODE"};
    QTest::newRow("seg-in-data") << namedProgram("nop", "nop", "dw seg fproc")
                                 << QByteArray("_DATA") << QByteArray("01 00 00 00")
                                 << QStringList{"_DATA:0002 base F5 seg FARCODE"};
    // Reopened, a segment goes on where it stopped.
    QTest::newRow("reopened") << namedProgram(
        "call far ptr again\n.code farcode\nagain: retf\n.code")
                              << QByteArray("FARCODE") << QByteArray("CB 90 C3 CB")
                              << QStringList{"_TEXT:0001 pointer F5 seg FARCODE"};
    QTest::newRow("text-by-name") << namedProgram("nop", "nop\n.code _text\nx: call lab")
                                  << QByteArray("_TEXT") << QByteArray("90 C3 E8 FC FF")
                                  << QStringList{};
}

void tst_QvasmObject::namedCodeSegmentFixups()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, segment);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fixups);
    const Built b = build(source);
    QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
    QVERIFY2(b.module.error.isEmpty(), qPrintable(b.module.error));
    const int n = int(bytes.count(' ')) + 1;
    QCOMPARE(hex(b.module.image.value(b.module.segIndex(segment)).left(n)), bytes);
    QCOMPARE(b.module.fixupList(), fixups);
}

void tst_QvasmObject::namedCodeSegmentErrors_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("line"); // 0: assembles cleanly
    QTest::addColumn<int>("code");

    // Line 3 is the _TEXT line, line 6 the FARCODE line of namedProgram().
    // A near transfer keeps CS: it cannot land in another code segment.
    QTest::newRow("near-call-there") << namedProgram("call flab") << 3 << 0x37;
    QTest::newRow("near-call-to-near-proc-there")
        << namedProgram("call np", "np proc\nret\nnp endp") << 3 << 0x37;
    QTest::newRow("near-jmp-there") << namedProgram("jmp flab") << 3 << 0x37;
    QTest::newRow("short-jmp-there") << namedProgram("jmp short flab") << 3 << 0x37;
    QTest::newRow("conditional-jump-there") << namedProgram("jz flab") << 3 << 0x37;
    QTest::newRow("loop-there") << namedProgram("loop flab") << 3 << 0x37;
    QTest::newRow("near-jmp-back") << namedProgram("nop", "jmp lab") << 6 << 0x37;
    QTest::newRow("near-call-back") << namedProgram("nop", "call lab") << 6 << 0x37;
    QTest::newRow("far-call-there") << namedProgram("call far flab") << 0 << 0;
    QTest::newRow("difference-across-code-segments")
        << namedProgram("mov ax, flab - lab") << 3 << 0x37;
    QTest::newRow("difference-between-named-segments")
        << QByteArray(".model small\n.code one\na: ret\n.code two\nb: ret\nmov ax, b - a\n"
                      ".code\n.exit\n.end\n")
        << 6 << 0x37;
    QTest::newRow("sum-then-difference-in-one-segment")
        << QByteArray(".model small\n.code one\na: ret\nb: ret\n.code two\nc: mov ax, (b - a) + c\n"
                      ".code\n.exit\n.end\n")
        << 0 << 0;
    QTest::newRow("seg-of-a-number") << namedProgram("mov ax, seg 5") << 3 << 0x22;
    QTest::newRow("seg-of-memory") << namedProgram("mov ax, seg [bx]") << 3 << 0x22;
    QTest::newRow("seg-of-a-difference") << namedProgram("mov ax, seg (flab - lab)") << 3 << 0x37;
    QTest::newRow("seg-in-tiny") << QByteArray(
        ".model tiny\n.code\nmov ax, seg lab\nlab: ret\n.end\n")
                                 << 3 << 0x54;
    // A .COM file has one code segment.
    QTest::newRow("named-code-in-tiny")
        << QByteArray(".model tiny\n.code farcode\nret\n.end\n") << 2 << 0x54;
    QTest::newRow("plain-code-in-tiny") << QByteArray(".model tiny\n.code\nret\n.end\n") << 0 << 0;
    // The data group's segments are not code segments.
    QTest::newRow("named-data") << namedProgram("nop", "nop\n.code _data") << 7 << 0x22;
    QTest::newRow("named-stack") << namedProgram("nop", "nop\n.code stack") << 7 << 0x22;
    QTest::newRow("keyword-as-name") << namedProgram("nop", "nop\n.code mov") << 7 << 0x14;
    QTest::newRow("two-names") << namedProgram("nop", "nop\n.code a b") << 7 << 0x14;
    // Names go into the object as they are: at most 64 characters, as shared names.
    QTest::newRow("name-of-64") << QByteArray(".model small\n.code " + QByteArray(64, 's')
                                              + "\nret\n.end\n")
                                << 0 << 0;
    QTest::newRow("name-of-65") << QByteArray(".model small\n.code " + QByteArray(65, 's')
                                              + "\nret\n.end\n")
                                << 2 << 0x6F;
    const auto segments = [](int n) {
        QByteArray s = ".model small\n";
        for (int i = 0; i < n; ++i)
            s += ".code s" + QByteArray::number(i) + "\nnop\n";
        return s + ".end\n";
    };
    // "dup n,?" ends its own segment's image, not the others'.
    QTest::newRow("uninitialised-end-of-a-segment")
        << namedProgram("nop", "nop\nbuf dup 8,?\n.code") << 0 << 0;
    QTest::newRow("uninitialised-then-code-in-it")
        << namedProgram("nop", "buf dup 8,?") << 7 << 0x5C;
    QTest::newRow("1024-segments") << segments(1024) << 0 << 0;
    QTest::newRow("1025-segments") << segments(1025) << 2050 << 0x6E;
}

void tst_QvasmObject::namedCodeSegmentErrors()
{
    QFETCH(QByteArray, source);
    QFETCH(int, line);
    QFETCH(int, code);
    const Built b = build(source);
    if (line == 0) {
        QVERIFY2(b.result.errors == 0, qPrintable(b.result.describe()));
        QVERIFY2(b.module.error.isEmpty() || !source.contains("small"), qPrintable(b.module.error));
        return;
    }
    QVERIFY2(b.result.hasMessage(line, code), qPrintable(b.result.describe()));
    QCOMPARE(b.result.errors, 1);
}

void tst_QvasmObject::namedCodeSegmentStart()
{
    // .start in a named segment: the program starts there.
    const Built b = build(
        ".model small\n.code\nf proc\nret\nf endp\n.code main\nnop\n.start\n.exit\n"
        ".end\n");
    QVERIFY2(b.result.errors == 0 && b.module.error.isEmpty(),
             qPrintable(b.result.describe() + b.module.error));
    QVERIFY(b.module.hasStart);
    QCOMPARE(b.module.segName(b.module.startTarget), "MAIN");
    QCOMPARE(b.module.startOffset, 1u);
    // Without .start, the code that ends the program with .exit outside a procedure.
    const Built e = build(
        ".model small\n.code\nf proc\nret\nf endp\n.code main\nnop\n.exit\n.end\n");
    QVERIFY2(e.result.errors == 0 && e.module.error.isEmpty(),
             qPrintable(e.result.describe() + e.module.error));
    QVERIFY(e.module.hasStart);
    QCOMPARE(e.module.segName(e.module.startTarget), "MAIN");
    QCOMPARE(e.module.startOffset, 0u);
}

void tst_QvasmObject::namedCodeSegmentListing()
{
    MemoryFiles loader;
    loader.files.insert("/src/main.asm", dataFile("farseg.asm"));
    qvasm::AssemblerOptions options;
    options.listing = true;
    qvasm::Assembler a(options, &loader);
    a.assembleFile("/src/main.asm");
    QCOMPARE(a.messages().errors(), 0u);
    QMap<QString, int64_t> at;
    for (const qvasm::ListingLine &l : a.listing())
        at.insert(QString::fromStdString(l.text).simplified().section(' ', 0, 0), l.address);
    QCOMPARE(at.value("jmp"), 0x19); // the last line of _TEXT
    QCOMPARE(at.value("mov"), 0);    // the last mov is the first line of the named segment
    QCOMPARE(at.value("done:"), 5);
    QCOMPARE(at.value(".exit"), 5);
    QCOMPARE(at.value("msg1"), 0); // and the data at 0 of its own
}

void tst_QvasmObject::sameAsNasm_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n : {"hello", "farproc", "twomain", "twoutil", "datafix", "farseg"})
        QTest::newRow(n) << QString(n);
}

void tst_QvasmObject::sameAsNasm()
{
    QFETCH(QString, name);
    const QString nasm = QStandardPaths::findExecutable("nasm");
    if (nasm.isEmpty())
        QSKIP("nasm is not installed (./dev deps installs it)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess p;
    p.start(nasm, {"-f", "obj", dataDir() + name + ".nasm", "-o", dir.filePath("n.obj")});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QFile f(dir.filePath("n.obj"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Module theirs = readObject(f.readAll());
    QVERIFY2(theirs.error.isEmpty(), qPrintable(theirs.error));
    const Built ours = build(dataFile(name + ".asm"));
    QVERIFY2(ours.result.errors == 0 && ours.module.error.isEmpty(),
             qPrintable(ours.result.describe() + ours.module.error));

    // The same segments with the same bytes and sizes.
    QList<QByteArray> names;
    for (const Module *m : {&ours.module, &theirs}) {
        for (int i = 1; i < m->segs.size(); ++i) {
            if (!names.contains(m->segs[i].name))
                names << m->segs[i].name;
        }
    }
    for (const QByteArray &seg : names) {
        const int a = ours.module.segIndex(seg), b = theirs.segIndex(seg);
        QCOMPARE(a != 0, b != 0);
        if (!a)
            continue;
        QCOMPARE(hex(ours.module.image.value(a)), hex(theirs.image.value(b)));
        QCOMPARE(ours.module.segs[a].length, theirs.segs[b].length);
    }
    // Fixups at the same places aimed at the same things; a far pointer is an offset and a
    // base two bytes on, as NASM writes it.
    const auto normal = [](const Module &m) {
        QStringList out;
        for (const Fix &f : m.fixups) {
            const QString target = QString::fromLatin1(m.targetName(f.targetMethod, f.targetIndex));
            const QString seg = QString::fromLatin1(m.segName(f.segment));
            const auto one = [&](uint32_t at, const char *kind) {
                out << QString("%1:%2 %3 %4").arg(seg).arg(at, 4, 16, QChar('0')).arg(kind, target);
            };
            if (f.self)
                one(f.offset, "self");
            else if (f.loc == 3) {
                one(f.offset, "offset");
                one(f.offset + 2, "base");
            } else
                one(f.offset, f.loc == 2 ? "base" : "offset");
        }
        out.sort();
        return out;
    };
    QCOMPARE(normal(ours.module), normal(theirs));
    QCOMPARE(ours.module.hasStart, theirs.hasStart);
    if (ours.module.hasStart)
        QCOMPARE(ours.module.startOffset, theirs.startOffset);
    QCOMPARE(ours.module.externs, theirs.externs);
    QStringList a, b;
    for (const Public &p : ours.module.publics)
        a << QString("%1 %2 %3")
                 .arg(QString(p.name))
                 .arg(QString(ours.module.segName(p.segment)))
                 .arg(p.offset);
    for (const Public &p : theirs.publics)
        b << QString("%1 %2 %3")
                 .arg(QString(p.name))
                 .arg(QString(theirs.segName(p.segment)))
                 .arg(p.offset);
    a.sort();
    b.sort();
    QCOMPARE(a, b);
}

QTEST_GUILESS_MAIN(tst_QvasmObject)
#include "tst_qvasmobject.moc"
