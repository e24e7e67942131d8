#include "editor/KeywordIndex.h"

#include "base/RegularFile.h"
#include "editor/SourceFileCodec.h"

#include <QFile>

#include <algorithm>
#include <climits>

namespace {

// clang-format off
constexpr char16_t directiveList[] =
    u".if,.else,.endif,.ifdef,.ifndef,.ife,.ifne,include,%error,%out,%print,%title,.186,"
    u".187,.286,.286p,.287,.386,.386p,.387,.486,.586,.8086,.87,.alpha,.adsize,.code,.data,"
    u".dosseg,.end,.even,.exit,.external,.jumps,.list,.model,.noret,.opsize,.optoff,.opton,"
    u".page,.para,.pmode,.popadbug,.rmode,.stack,.start,.x86,%ver,%line,%year,%month,%day,"
    u"byte,comment,cs:,dword,db,dd,dq,df,ds:,dup,dw,proc,endp,ends,equ,es:,far,fs:,fword,"
    u"outfile,gs:,near,offset,qword,short,small,ss:,st,struct,tiny,uses,word,sizeof,seg";

constexpr char16_t registerList[] =
    u"ax,eax,cx,ecx,dx,edx,bx,ebx,sp,esp,bp,ebp,si,esi,di,edi,al,cl,dl,bl,ah,ch,dh,bh,es,cs,"
    u"ss,ds,fs,gs,st(0),st(1),st(2),st(3),st(4),st(5),st(6),st(7),cr0,cr2,cr3,cr4,dr0,dr1,"
    u"dr2,dr3,dr4,dr5,dr6,dr7,all,allf,alld,alldf";

constexpr char16_t instructionList[] =
    u"aaa,aad,aam,aas,adc,adcb,adcd,adcw,add,addb,addd,addw,and,andb,andd,andw,arpl,bsf,bsr,"
    u"bound,bswap,bt,btc,btcw,btr,btrw,bts,btsw,btw,call,callf,calln,cbw,cdq,clc,cld,"
    u"clflush,cli,clts,cmc,cmova,cmovae,cmovb,cmovbe,cmovc,cmove,cmovg,cmovge,cmovl,cmovle,"
    u"cmovna,cmovnae,cmovnb,cmovnbe,cmovnc,cmovne,cmovng,cmovnge,cmovnl,cmovnle,cmovno,"
    u"cmovnp,cmovns,cmovnz,cmovo,cmovp,cmovpe,cmovpo,cmovs,cmovz,cmp,cmpb,cmpd,cmpsb,cmpsd,"
    u"cmpsw,cmpw,cmpx8bq,cmpxchg,cpuid,cwd,cwde,daa,das,dec,decb,decd,decw,div,divb,divd,"
    u"divw,emms,enter,f2xm1,fabs,fchs,fcos,fdecstp,fincstp,fld,fld1,fldl2e,fldl2t,fldlg2,"
    u"fldln2,fldpi,fldz,fnop,fpatan,fprem,fprem1,fptan,frndint,fscale,fsin,fsincos,fsqrt,"
    u"ftst,fwait,fxam,fxrstor,fxsave,fxtract,fyl2x,fyl2xp1,hlt,icebp,idiv,idivb,idivd,idivw,"
    u"imul,imulb,imuld,imulw,in,inc,incb,incd,incw,insb,insd,insw,int,int3,into,invd,invlpg,"
    u"invlpgw,iret,iretd,ja,jae,jb,jbe,jc,jcxz,je,jg,jge,jl,jle,jmp,jmpf,jmpn,jmps,jna,jnae,"
    u"jnb,jnbe,jnc,jne,jng,jnge,jnl,jnle,jno,jnp,jns,jnz,jo,jp,jpe,jpo,js,jz,lahf,lar,lds,"
    u"ldmxcsr,lea,leave,leaved,les,lfence,lfs,lgs,lgdt,lgdtf,lidt,lidtf,lldt,lldtw,lmsw,"
    u"lmsww,loadall,lock,lodsb,lodsd,lodsw,loop,loope,loopne,loopnz,loopz,lsl,lss,ltr,ltrw,"
    u"mfence,mov,movb,movd,movsb,movsd,movsw,movsx,movsxb,movsxw,movw,movzx,movzxb,movzxw,"
    u"mul,mulb,muld,mulw,neg,negb,negd,negw,nop,not,notb,notd,notw,or,orb,ord,org,orgnf,orw,"
    u"out,outsb,outsd,outsw,pause,pop,popa,popad,popb,popd,popf,popfd,popw,push,pusha,"
    u"pushad,pushb,pushd,pushf,pushfd,pushw,rcl,rclb,rcld,rclw,rcr,rcrb,rcrd,rcrw,rdmsr,"
    u"rdpmc,rdtsc,rep,repe,repne,repnz,repz,ret,retf,rol,rolb,rold,rolw,ror,rorb,rord,rorw,"
    u"rsm,sahf,sal,salb,salc,sald,salw,sar,sarb,sard,sarw,sbb,sbbb,sbbd,sbbw,scasb,scasd,"
    u"scasw,seta,setae,setb,setbe,setc,sete,setg,setge,setl,setle,setna,setnae,setnb,setnbe,"
    u"setnc,setne,setng,setnge,setnl,setnle,setno,setnp,setns,setnz,seto,setp,setpo,setpe,"
    u"sets,setz,sfence,sgdt,sgdtf,shl,shlb,shld,shlw,shr,shrb,shrd,shrw,sidt,sidtf,sldt,"
    u"sldtw,smsw,smsww,stc,std,sti,stosb,stosd,stosw,str,strw,sub,subb,subd,subw,sysenter,"
    u"sysexit,test,testb,testd,testw,ud2,umov,verr,verrw,verw,verww,wait,wbinvd,wrmsr,xadd,"
    u"xchg,xlat,xlatb,xor,xorb,xord,xorw";
// clang-format on

QStringList splitList(const char16_t *list)
{
    return QStringView(list).toString().split(u',');
}

} // namespace

KeywordIndex KeywordIndex::withBuiltIns()
{
    KeywordIndex index;
    index.addKeywords(instructionList, Instructions);
    index.addKeywords(directiveList, Directives);
    index.addKeywords(registerList, Registers);
    return index;
}

QStringList KeywordIndex::builtInDirectives()
{
    return splitList(directiveList);
}

QStringList KeywordIndex::builtInInstructions()
{
    return splitList(instructionList);
}

QStringList KeywordIndex::builtInRegisters()
{
    return splitList(registerList);
}

const std::array<bool, 128> &KeywordIndex::delimiterTable()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (char16_t c : u"\x01\t\n\r ;(){}[]*,<>+-")
            t[c] = true; // the literal's terminator marks NUL as well
        return t;
    }();
    return table;
}

int KeywordIndex::addKeywords(QStringView commaSeparated, int category)
{
    if (category < Directives || category > Symbols)
        return 0;
    std::vector<Entry> added;
    qsizetype from = 0;
    while (from <= commaSeparated.size()) {
        qsizetype comma = commaSeparated.indexOf(u',', from);
        if (comma < 0)
            comma = commaSeparated.size();
        const QStringView entry = commaSeparated.mid(from, comma - from);
        // An empty entry would match nothing yet stall the scan; one holding a line end could
        // only match across lines, which line-by-line colouring can't see.
        if (!entry.isEmpty() && !entry.contains(u'\r'))
            added.push_back(Entry{entry.toString(), category});
        from = comma + 1;
    }
    const int count = int(added.size());
    if (count > 0)
        insert(std::move(added));
    return count;
}

int KeywordIndex::addKeywordFile(const QString &path)
{
    QFile file;
    if (!RegularFile::openForReading(file, path))
        return -1;
    // Read as text: CR LF arrives as "\n".
    return addKeywords(SourceFileCodec::decode(file.readAll()).text, Directives);
}

void KeywordIndex::insert(std::vector<Entry> added)
{
    // Old entries first, new ones in their order: among equal texts the last one stays.
    std::vector<Entry> all = std::move(m_entries);
    all.reserve(all.size() + added.size());
    for (Entry &e : added)
        all.push_back(std::move(e));
    std::stable_sort(all.begin(), all.end(), [](const Entry &a, const Entry &b) {
        return a.text < b.text;
    });
    m_entries.clear();
    m_entries.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (i + 1 < all.size() && all[i + 1].text == all[i].text)
            continue;
        m_entries.push_back(std::move(all[i]));
    }
    rebuild();
}

void KeywordIndex::rebuild()
{
    m_starts.fill(false);
    m_wideStarts.clear();
    for (auto &list : m_withDelimiters)
        list.clear();
    m_wideWithDelimiters.clear();
    m_maxPlainLength = 0;

    int plainCount = 0;
    for (Entry &e : m_entries) {
        e.plain = std::none_of(e.text.cbegin(), e.text.cend(), [](QChar c) {
            return isDelimiter(c.unicode());
        });
        e.hash = hashSeed;
        for (QChar c : std::as_const(e.text))
            e.hash = hashStep(e.hash, c.unicode());
        if (e.plain) {
            ++plainCount;
            m_maxPlainLength = std::max(m_maxPlainLength, int(e.text.size()));
        }
    }

    size_t slotCount = 16;
    while (slotCount < size_t(plainCount) * 2)
        slotCount *= 2;
    m_slots.assign(plainCount > 0 ? slotCount : 0, -1);

    for (int rank = 0; rank < size(); ++rank) {
        const Entry &e = m_entries[size_t(rank)];
        const char16_t first = e.text.at(0).unicode();
        if (first != u'"' && first != u'\'' && first != u';') {
            if (first < m_starts.size())
                m_starts[first] = true;
            else
                m_wideStarts.push_back(first);
        }
        if (e.plain) {
            size_t slot = e.hash & (slotCount - 1);
            while (m_slots[slot] != -1)
                slot = (slot + 1) & (slotCount - 1);
            m_slots[slot] = rank;
        } else if (first < m_withDelimiters.size()) {
            m_withDelimiters[first].push_back(rank);
        } else {
            m_wideWithDelimiters.emplace_back(first, rank);
        }
    }
    std::sort(m_wideStarts.begin(), m_wideStarts.end());
    m_wideStarts.erase(std::unique(m_wideStarts.begin(), m_wideStarts.end()), m_wideStarts.end());
    std::stable_sort(m_wideWithDelimiters.begin(),
                     m_wideWithDelimiters.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
}

bool KeywordIndex::startsKeywordWide(char16_t c) const
{
    return std::binary_search(m_wideStarts.begin(), m_wideStarts.end(), c);
}

bool KeywordIndex::matchesEntry(const Entry &e,
                                const char16_t *text,
                                qsizetype length,
                                qsizetype i) const
{
    const qsizetype n = e.text.size();
    if (n > length - i)
        return false;
    const char16_t *k = reinterpret_cast<const char16_t *>(e.text.constData());
    for (qsizetype j = 0; j < n; ++j) {
        if (lower(text[i + j]) != k[j])
            return false;
    }
    return i + n == length || isDelimiter(text[i + n]);
}

KeywordIndex::Match KeywordIndex::matchAt(const char16_t *text, qsizetype length, qsizetype i) const
{
    int best = INT_MAX;

    // An entry without delimiters can only match the whole word that starts at i.
    if (!m_slots.empty() && !isDelimiter(text[i])) {
        const qsizetype limit = std::min(length, i + m_maxPlainLength + 1);
        quint32 h = hashSeed;
        qsizetype end = i;
        while (end < limit && !isDelimiter(text[end])) {
            h = hashStep(h, lower(text[end]));
            ++end;
        }
        const qsizetype wordLength = end - i;
        if ((end == length || isDelimiter(text[end])) && wordLength <= m_maxPlainLength) {
            const size_t mask = m_slots.size() - 1;
            for (size_t slot = h & mask; m_slots[slot] != -1; slot = (slot + 1) & mask) {
                const Entry &e = m_entries[size_t(m_slots[slot])];
                if (e.hash == h && e.text.size() == wordLength && matchesEntry(e, text, length, i)) {
                    best = m_slots[slot];
                    break;
                }
            }
        }
    }

    // The few entries holding delimiters (st(0) and the like) are tried in list order, and only
    // while they sort before the whole-word match.
    const char16_t first = lower(text[i]);
    auto tryRank = [&](int rank) {
        if (rank >= best)
            return true;
        if (matchesEntry(m_entries[size_t(rank)], text, length, i)) {
            best = rank;
            return true;
        }
        return false;
    };
    if (first < m_withDelimiters.size()) {
        for (int rank : m_withDelimiters[first]) {
            if (tryRank(rank))
                break;
        }
    } else {
        auto it = std::lower_bound(m_wideWithDelimiters.begin(),
                                   m_wideWithDelimiters.end(),
                                   first,
                                   [](const auto &p, char16_t c) { return p.first < c; });
        for (; it != m_wideWithDelimiters.end() && it->first == first; ++it) {
            if (tryRank(it->second))
                break;
        }
    }

    if (best == INT_MAX)
        return {};
    const Entry &e = m_entries[size_t(best)];
    return {int(e.text.size()), e.category};
}
