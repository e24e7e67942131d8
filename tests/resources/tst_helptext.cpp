// The shipped help text file: every keyword the editor colours (and every keyword qvasm
// accepts) must have an entry that the help pop-up's lookup finds, and the file must keep the
// reader's format so no entry swallows or hides another.

#include <QFile>
#include <QSet>
#include <QTest>

#include <optional>

#ifdef QVASMIDE_HAVE_QVASM_CORE
#include "Keywords.h"
#endif

namespace {

// The colouring engine's built-in lists, as the editor colours them.
const char BuiltInDirectives[]
    = ".if,.else,.endif,.ifdef,.ifndef,.ife,.ifne,include,%error,%out,%print,%title,.186,.187,"
      ".286,.286p,.287,.386,.386p,.387,.486,.586,.8086,.87,.alpha,.adsize,.code,.data,.dosseg,"
      ".end,.even,.exit,.external,.jumps,.list,.model,.noret,.opsize,.optoff,.opton,.page,.para,"
      ".pmode,.popadbug,.rmode,.stack,.start,.x86,%ver,%line,%year,%month,%day,byte,comment,cs:,"
      "dword,db,dd,dq,df,ds:,dup,dw,proc,endp,ends,equ,es:,far,fs:,fword,outfile,gs:,near,"
      "offset,qword,short,small,ss:,st,struct,tiny,uses,word,sizeof";
const char BuiltInRegisters[]
    = "ax,eax,cx,ecx,dx,edx,bx,ebx,sp,esp,bp,ebp,si,esi,di,edi,al,cl,dl,bl,ah,ch,dh,bh,es,cs,ss,"
      "ds,fs,gs,st(0),st(1),st(2),st(3),st(4),st(5),st(6),st(7),cr0,cr2,cr3,cr4,dr0,dr1,dr2,dr3,"
      "dr4,dr5,dr6,dr7,all,allf,alld,alldf";
const char BuiltInInstructions[]
    = "aaa,aad,aam,aas,adc,adcb,adcd,adcw,add,addb,addd,addw,and,andb,andd,andw,arpl,bsf,bsr,"
      "bound,bswap,bt,btc,btcw,btr,btrw,bts,btsw,btw,call,callf,calln,cbw,cdq,clc,cld,clflush,"
      "cli,clts,cmc,cmova,cmovae,cmovb,cmovbe,cmovc,cmove,cmovg,cmovge,cmovl,cmovle,cmovna,"
      "cmovnae,cmovnb,cmovnbe,cmovnc,cmovne,cmovng,cmovnge,cmovnl,cmovnle,cmovno,cmovnp,cmovns,"
      "cmovnz,cmovo,cmovp,cmovpe,cmovpo,cmovs,cmovz,cmp,cmpb,cmpd,cmpsb,cmpsd,cmpsw,cmpw,"
      "cmpx8bq,cmpxchg,cpuid,cwd,cwde,daa,das,dec,decb,decd,decw,div,divb,divd,divw,emms,enter,"
      "f2xm1,fabs,fchs,fcos,fdecstp,fincstp,fld,fld1,fldl2e,fldl2t,fldlg2,fldln2,fldpi,fldz,"
      "fnop,fpatan,fprem,fprem1,fptan,frndint,fscale,fsin,fsincos,fsqrt,ftst,fwait,fxam,fxrstor,"
      "fxsave,fxtract,fyl2x,fyl2xp1,hlt,icebp,idiv,idivb,idivd,idivw,imul,imulb,imuld,imulw,in,"
      "inc,incb,incd,incw,insb,insd,insw,int,int3,into,invd,invlpg,invlpgw,iret,iretd,ja,jae,jb,"
      "jbe,jc,jcxz,je,jg,jge,jl,jle,jmp,jmpf,jmpn,jmps,jna,jnae,jnb,jnbe,jnc,jne,jng,jnge,jnl,"
      "jnle,jno,jnp,jns,jnz,jo,jp,jpe,jpo,js,jz,lahf,lar,lds,ldmxcsr,lea,leave,leaved,les,"
      "lfence,lfs,lgs,lgdt,lgdtf,lidt,lidtf,lldt,lldtw,lmsw,lmsww,loadall,lock,lodsb,lodsd,"
      "lodsw,loop,loope,loopne,loopnz,loopz,lsl,lss,ltr,ltrw,mfence,mov,movb,movd,movsb,movsd,"
      "movsw,movsx,movsxb,movsxw,movw,movzx,movzxb,movzxw,mul,mulb,muld,mulw,neg,negb,negd,negw,"
      "nop,not,notb,notd,notw,or,orb,ord,org,orgnf,orw,out,outsb,outsd,outsw,pause,pop,popa,"
      "popad,popb,popd,popf,popfd,popw,push,pusha,pushad,pushb,pushd,pushf,pushfd,pushw,rcl,"
      "rclb,rcld,rclw,rcr,rcrb,rcrd,rcrw,rdmsr,rdpmc,rdtsc,rep,repe,repne,repnz,repz,ret,retf,"
      "rol,rolb,rold,rolw,ror,rorb,rord,rorw,rsm,sahf,sal,salb,salc,sald,salw,sar,sarb,sard,"
      "sarw,sbb,sbbb,sbbd,sbbw,scasb,scasd,scasw,seta,setae,setb,setbe,setc,sete,setg,setge,"
      "setl,setle,setna,setnae,setnb,setnbe,setnc,setne,setng,setnge,setnl,setnle,setno,setnp,"
      "setns,setnz,seto,setp,setpo,setpe,sets,setz,sfence,sgdt,sgdtf,shl,shlb,shld,shlw,shr,"
      "shrb,shrd,shrw,sidt,sidtf,sldt,sldtw,smsw,smsww,stc,std,sti,stosb,stosd,stosw,str,strw,"
      "sub,subb,subd,subw,sysenter,sysexit,test,testb,testd,testw,ud2,umov,verr,verrw,verw,"
      "verww,wait,wbinvd,wrmsr,xadd,xchg,xlat,xlatb,xor,xorb,xord,xorw";

// The pop-up shows the text in a fixed-pitch font without word wrap.
constexpr int MaxColumns = 70;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString installedPath()
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/qvasmide.hlt";
}

QString sourcePath()
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/src/resources/help/qvasmide.hlt";
}

// The help pop-up's lookup: the first entry whose keyword equals the word without regard to
// ASCII case; its text runs from the first '{' after the keyword to the next '}'. A keyword
// that does not match is skipped from just after its closing marker, so a marker inside some
// entry's text would be taken as a keyword.
std::optional<QByteArray> lookUp(const QByteArray &file, const QByteArray &word)
{
    qsizetype at = 0;
    while ((at = file.indexOf("[>", at)) >= 0) {
        const qsizetype end = file.indexOf("<]", at + 2);
        if (end < 0)
            return std::nullopt;
        const QByteArray keyword = file.mid(at + 2, end - at - 2);
        at = end + 2;
        if (keyword.size() >= 255 || keyword.compare(word, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype open = file.indexOf('{', at);
        const qsizetype close = open < 0 ? -1 : file.indexOf('}', open + 1);
        if (close < 0)
            return std::nullopt;
        return file.mid(open + 1, close - open - 1);
    }
    return std::nullopt;
}

struct Entry
{
    QByteArray keyword;
    QByteArray text;
};

// Walks the file the way a well-formed file reads: marker, keyword, marker, then the braced
// text before the next marker. Anything else is reported as a fault.
QList<Entry> parseEntries(const QByteArray &file, QStringList *faults)
{
    QList<Entry> entries;
    qsizetype at = file.indexOf("[>");
    while (at >= 0) {
        const qsizetype next = file.indexOf("[>", at + 2);
        const qsizetype limit = next < 0 ? file.size() : next;
        const QByteArray chunk = file.mid(at, limit - at);
        const qsizetype end = chunk.indexOf("<]");
        const qsizetype open = chunk.indexOf('{');
        const qsizetype close = chunk.indexOf('}');
        const QByteArray keyword = end < 0 ? chunk.left(40) : chunk.mid(2, end - 2);
        if (end < 0 || open < end || close < open) {
            // a marker in a text shows up here as a keyword whose braces are missing
            faults->append(QString("entry without its markers and braces: %1")
                               .arg(QString::fromLatin1(keyword)));
        } else {
            entries.append({keyword, chunk.mid(open + 1, close - open - 1)});
            if (chunk.indexOf('}', close + 1) >= 0)
                faults->append(QString("stray '}' after %1").arg(QString::fromLatin1(keyword)));
        }
        at = next;
    }
    return entries;
}

} // namespace

class tst_HelpText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installedCopyIsTheCommittedFile();
    void fileIsPlainAsciiWithCrLf();
    void entriesKeepTheFormat();
    void linesFitThePopup();
    void everyBuiltInKeywordIsFound_data();
    void everyBuiltInKeywordIsFound();
    void everyKeywordQvasmAcceptsIsFound_data();
    void everyKeywordQvasmAcceptsIsFound();

private:
    QByteArray m_file;
};

void tst_HelpText::initTestCase()
{
    m_file = readFile(installedPath());
    QVERIFY2(!m_file.isEmpty(), qPrintable("no help file at " + installedPath()));
}

void tst_HelpText::installedCopyIsTheCommittedFile()
{
    // the build copies the committed file; a stale or re-encoded copy would show old help
    QCOMPARE(m_file, readFile(sourcePath()));
}

void tst_HelpText::fileIsPlainAsciiWithCrLf()
{
    for (qsizetype i = 0; i < m_file.size(); ++i) {
        const uchar c = uchar(m_file.at(i));
        if (c == '\r') {
            QVERIFY2(i + 1 < m_file.size() && m_file.at(i + 1) == '\n',
                     qPrintable(QString("lone CR at byte %1").arg(i)));
            ++i;
            continue;
        }
        QVERIFY2(c >= 32 && c < 127, qPrintable(QString("byte %1 at %2").arg(c).arg(i)));
    }
}

void tst_HelpText::entriesKeepTheFormat()
{
    QStringList faults;
    const QList<Entry> entries = parseEntries(m_file, &faults);
    QSet<QByteArray> seen;
    for (const Entry &entry : entries) {
        const QByteArray key = entry.keyword.toLower();
        if (entry.keyword.size() >= 255 || entry.keyword.isEmpty())
            faults.append("unusable keyword " + QString::fromLatin1(entry.keyword.left(40)));
        if (seen.contains(key)) // only the first of two entries is ever shown
            faults.append("second entry for " + QString::fromLatin1(entry.keyword));
        if (entry.text.trimmed().isEmpty())
            faults.append("empty text for " + QString::fromLatin1(entry.keyword));
        seen.insert(key);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    QVERIFY(entries.size() >= 540);
}

void tst_HelpText::linesFitThePopup()
{
    QStringList faults;
    const QList<Entry> entries = parseEntries(m_file, &faults);
    for (const Entry &entry : entries) {
        for (QByteArray line : entry.text.split('\n')) {
            line.replace('\r', "").replace('\t', "  "); // the pop-up shows a tab as two blanks
            if (line.size() > MaxColumns)
                faults.append(QString::fromLatin1(entry.keyword + ": " + line));
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void tst_HelpText::everyBuiltInKeywordIsFound_data()
{
    QTest::addColumn<QByteArray>("keyword");
    const struct
    {
        const char *kind;
        const char *list;
    } lists[] = {{"directive", BuiltInDirectives},
                 {"register", BuiltInRegisters},
                 {"instruction", BuiltInInstructions}};
    for (const auto &list : lists) {
        for (const QByteArray &keyword : QByteArray(list.list).split(','))
            QTest::addRow("%s %s", list.kind, keyword.constData()) << keyword;
    }
}

void tst_HelpText::everyBuiltInKeywordIsFound()
{
    QFETCH(QByteArray, keyword);
    const auto text = lookUp(m_file, keyword);
    QVERIFY2(text, "no entry");
    // the user may type the word in any case
    QCOMPARE(lookUp(m_file, keyword.toUpper()), text);
}

void tst_HelpText::everyKeywordQvasmAcceptsIsFound_data()
{
    QTest::addColumn<QByteArray>("keyword");
#ifdef QVASMIDE_HAVE_QVASM_CORE
    for (const auto &keyword : qvasm::acceptedKeywords())
        QTest::addRow("%s", std::string(keyword).c_str()) << QByteArray(keyword);
#endif
}

void tst_HelpText::everyKeywordQvasmAcceptsIsFound()
{
#ifndef QVASMIDE_HAVE_QVASM_CORE
    QSKIP("the assembler's library is not part of this build");
#endif
    QFETCH(QByteArray, keyword);
    QVERIFY2(lookUp(m_file, keyword), "no entry");
}

QTEST_GUILESS_MAIN(tst_HelpText)
#include "tst_helptext.moc"
