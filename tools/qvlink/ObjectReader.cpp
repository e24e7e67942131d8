#include "qvlink/ObjectReader.h"

#include <algorithm>
#include <array>

namespace qvlink {

namespace {

enum RecordType : uint8_t {
    THEADR = 0x80,
    LHEADR = 0x82,
    COMENT = 0x88,
    MODEND = 0x8A,
    EXTDEF = 0x8C,
    PUBDEF = 0x90,
    LINNUM = 0x94,
    LNAMES = 0x96,
    SEGDEF = 0x98,
    GRPDEF = 0x9A,
    FIXUPP = 0x9C,
    LEDATA = 0xA0,
    LIDATA = 0xA2,
    COMDEF = 0xB0,
    BAKPAT = 0xB2,
    LEXTDEF = 0xB4,
    LPUBDEF = 0xB6,
    LCOMDEF = 0xB8,
    CEXTDEF = 0xBC,
    COMDAT = 0xC2,
    LINSYM = 0xC4,
    ALIAS = 0xC6,
    NBKPAT = 0xC8,
    LLNAMES = 0xCA,
    LIBHDR = 0xF0,
    LIBEND = 0xF1,
};

struct Fault
{
    std::string what;
};

std::string hex(uint32_t v, int digits)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (int i = digits - 1; i >= 0; --i)
        s.push_back(d[(v >> (4 * i)) & 15]);
    if (s[0] > '9')
        s.insert(s.begin(), '0');
    return s + "h";
}

// The contents of one record, read front to back; running past the end is a fault.
class Cursor
{
public:
    Cursor(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}

    bool atEnd() const { return m_pos >= m_size; }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_size - m_pos; }
    const uint8_t *here() const { return m_data + m_pos; }

    uint8_t byte()
    {
        need(1);
        return m_data[m_pos++];
    }
    uint16_t word()
    {
        need(2);
        const uint16_t v = uint16_t(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    // An index: one byte below 80h, else two with the high bit of the first dropped.
    uint32_t index()
    {
        const uint8_t first = byte();
        if (first < 0x80)
            return first;
        return (uint32_t(first & 0x7F) << 8) | byte();
    }
    std::string name()
    {
        const uint8_t length = byte();
        need(length);
        std::string s(reinterpret_cast<const char *>(m_data + m_pos), length);
        m_pos += length;
        return s;
    }
    void skip(size_t n)
    {
        need(n);
        m_pos += n;
    }

private:
    void need(size_t n) const
    {
        if (n > m_size - m_pos)
            throw Fault{"the record ends too early"};
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

struct Thread
{
    bool defined = false;
    uint8_t method = 0;
    uint32_t datum = 0;
};

// The last data record, which the FIXUP subrecords that follow it patch.
struct LastData
{
    bool present = false;
    bool iterated = false;
    uint32_t segment = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
};

class Parser
{
public:
    explicit Parser(ObjectModule &m)
        : m_module(m)
    {}

    void record(uint8_t type, Cursor &c, uint32_t fileOffset);
    bool ended() const { return m_ended; }

private:
    uint32_t checked(uint32_t index, size_t count, const char *what, bool zeroAllowed = false)
    {
        if (index == 0 && zeroAllowed)
            return 0;
        if (index == 0 || index > count)
            throw Fault{std::string(what) + " index " + std::to_string(index) + " not defined"};
        return index - 1;
    }
    const std::string &nameAt(uint32_t index)
    {
        return m_names[checked(index, m_names.size(), "name")];
    }

    void names(Cursor &c);
    void segdef(Cursor &c);
    void grpdef(Cursor &c);
    void extdef(Cursor &c, bool local);
    void pubdef(Cursor &c, bool local);
    void ledata(Cursor &c);
    void lidata(Cursor &c);
    void fixupp(Cursor &c, uint32_t fileOffset);
    void modend(Cursor &c);

    uint32_t datum(uint8_t frameOrTargetMethod, bool frame, Cursor &c);
    void fixData(Cursor &c,
                 uint8_t &frameMethod,
                 uint32_t &frameDatum,
                 uint8_t &targetMethod,
                 uint32_t &targetDatum,
                 uint32_t &displacement);
    void storeData(uint32_t segment, uint32_t offset, const uint8_t *bytes, size_t n);

    ObjectModule &m_module;
    std::vector<std::string> m_names;
    std::array<Thread, 4> m_frameThreads;
    std::array<Thread, 4> m_targetThreads;
    LastData m_last;
    uint64_t m_segmentBytes = 0;
    bool m_ended = false;
};

void Parser::names(Cursor &c)
{
    while (!c.atEnd()) {
        if (m_names.size() >= ObjectReader::MaxNames)
            throw Fault{"more than " + std::to_string(ObjectReader::MaxNames) + " names"};
        m_names.push_back(c.name());
    }
}

void Parser::segdef(Cursor &c)
{
    if (m_module.segments.size() >= ObjectReader::MaxSegments)
        throw Fault{"more than " + std::to_string(ObjectReader::MaxSegments) + " segments"};
    ObjSegment s;
    const uint8_t acbp = c.byte();
    s.align = acbp >> 5;
    s.combine = (acbp >> 2) & 7;
    const bool big = acbp & 2;
    if (acbp & 1)
        throw Fault{"32-bit segments are not supported"};
    if (s.align == 7)
        throw Fault{"alignment 7 is not defined"};
    if (s.combine == 1 || s.combine == 3)
        throw Fault{"combination " + std::to_string(s.combine) + " is not defined"};
    if (s.align == 0) {
        s.absoluteFrame = c.word();
        c.byte(); // offset within the frame, unused by 16-bit DOS programs
    }
    const uint16_t length = c.word();
    if (big && length != 0)
        throw Fault{"a segment of 64 KiB must give its length as 0"};
    s.length = big ? 0x10000 : length;
    s.name = nameAt(c.index());
    s.className = nameAt(c.index());
    nameAt(c.index()); // overlay name: checked, not used
    if (!s.isAbsolute()) {
        m_segmentBytes += s.length;
        if (m_segmentBytes > ObjectReader::MaxSegmentBytes)
            throw Fault{"the segments need more than 1 MiB"};
        s.data.assign(s.length, 0);
    }
    m_module.segments.push_back(std::move(s));
}

void Parser::grpdef(Cursor &c)
{
    if (m_module.groups.size() >= ObjectReader::MaxNames)
        throw Fault{"too many groups"};
    ObjGroup g;
    g.name = nameAt(c.index());
    while (!c.atEnd()) {
        const uint8_t kind = c.byte();
        if (kind != 0xFF)
            throw Fault{"group component " + hex(kind, 2) + " is not a segment"};
        const uint32_t seg = checked(c.index(), m_module.segments.size(), "segment");
        if (std::find(g.segments.begin(), g.segments.end(), seg) == g.segments.end())
            g.segments.push_back(seg);
    }
    m_module.groups.push_back(std::move(g));
}

void Parser::extdef(Cursor &c, bool local)
{
    while (!c.atEnd()) {
        if (m_module.externals.size() >= ObjectReader::MaxSymbols)
            throw Fault{"too many external names"};
        ObjExternal e;
        e.name = c.name();
        e.local = local;
        c.index(); // type index, unused
        m_module.externals.push_back(std::move(e));
    }
}

void Parser::pubdef(Cursor &c, bool local)
{
    const uint32_t group = c.index();
    const uint32_t segment = c.index();
    uint16_t frame = 0;
    if (group == 0 && segment == 0)
        frame = c.word();
    const int32_t g = group ? int32_t(checked(group, m_module.groups.size(), "group")) : -1;
    const int32_t s = segment ? int32_t(checked(segment, m_module.segments.size(), "segment")) : -1;
    while (!c.atEnd()) {
        if (m_module.publics.size() >= ObjectReader::MaxSymbols)
            throw Fault{"too many public names"};
        ObjPublic p;
        p.name = c.name();
        p.group = g;
        p.segment = s;
        p.frame = frame;
        p.offset = c.word();
        p.local = local;
        c.index(); // type index, unused
        if (s >= 0 && p.offset > m_module.segments[size_t(s)].length)
            throw Fault{"public " + p.name + " lies beyond its segment"};
        m_module.publics.push_back(std::move(p));
    }
}

void Parser::storeData(uint32_t segment, uint32_t offset, const uint8_t *bytes, size_t n)
{
    ObjSegment &s = m_module.segments[segment];
    if (s.isAbsolute())
        throw Fault{"data for absolute segment " + s.name};
    if (uint64_t(offset) + n > s.length)
        throw Fault{"data beyond the end of segment " + s.name};
    std::copy(bytes, bytes + n, s.data.begin() + offset);
    s.initializedEnd = std::max<uint32_t>(s.initializedEnd, uint32_t(offset + n));
}

void Parser::ledata(Cursor &c)
{
    const uint32_t segment = checked(c.index(), m_module.segments.size(), "segment");
    const uint32_t offset = c.word();
    const size_t n = c.remaining();
    storeData(segment, offset, c.here(), n);
    m_last = {true, false, segment, offset, uint32_t(n)};
}

// The size one iterated block expands to, parsed but not yet written; saturates at `limit`.
uint64_t blockSize(Cursor &c, uint64_t limit, int depth)
{
    if (depth > ObjectReader::MaxRepeatNesting)
        throw Fault{"repeat blocks nested too deeply"};
    const uint16_t repeat = c.word();
    const uint16_t blocks = c.word();
    uint64_t inner = 0;
    if (blocks == 0) {
        const uint8_t n = c.byte();
        c.skip(n);
        inner = n;
    } else {
        for (uint32_t i = 0; i < blocks; ++i)
            inner = std::min(limit, inner + blockSize(c, limit, depth + 1));
    }
    return std::min(limit, inner * repeat);
}

void expandBlock(Cursor &c, std::vector<uint8_t> &out)
{
    const Cursor at = c;
    const uint16_t repeat = c.word();
    const uint16_t blocks = c.word();
    if (repeat == 0) {
        // Repeated no times: skipped unwritten, so its contents never count against the room.
        Cursor skip = at;
        blockSize(skip, 1, 0);
        c = skip;
        return;
    }
    const size_t start = out.size();
    if (blocks == 0) {
        const uint8_t n = c.byte();
        out.insert(out.end(), c.here(), c.here() + n);
        c.skip(n);
    } else {
        for (uint32_t i = 0; i < blocks; ++i)
            expandBlock(c, out);
    }
    const std::vector<uint8_t> once(out.begin() + std::ptrdiff_t(start), out.end());
    for (uint32_t r = 1; r < repeat; ++r)
        out.insert(out.end(), once.begin(), once.end());
}

void Parser::lidata(Cursor &c)
{
    const uint32_t segment = checked(c.index(), m_module.segments.size(), "segment");
    const uint32_t offset = c.word();
    const ObjSegment &s = m_module.segments[segment];
    // Sized first, so a few bytes that repeat themselves a million times are refused unread.
    const uint8_t *blocksStart = c.here();
    const size_t blocksLength = c.remaining();
    const uint64_t room = s.length >= offset ? s.length - offset : 0;
    uint64_t total = 0;
    while (!c.atEnd())
        total = std::min(room + 1, total + blockSize(c, room + 1, 0));
    if (total > room)
        throw Fault{"iterated data beyond the end of segment " + s.name};
    std::vector<uint8_t> out;
    out.reserve(size_t(total));
    Cursor blocks(blocksStart, blocksLength);
    while (!blocks.atEnd())
        expandBlock(blocks, out);
    storeData(segment, offset, out.data(), out.size());
    m_last = {true, true, segment, offset, uint32_t(out.size())};
}

uint32_t Parser::datum(uint8_t method, bool frame, Cursor &c)
{
    if (frame) {
        switch (method) {
        case FrameSegment:
            return checked(c.index(), m_module.segments.size(), "segment");
        case FrameGroup:
            return checked(c.index(), m_module.groups.size(), "group");
        case FrameExternal:
            return checked(c.index(), m_module.externals.size(), "external");
        case FrameLocation:
        case FrameTarget:
            return 0;
        case 3:
            throw Fault{"explicit frame numbers are not supported"};
        default:
            throw Fault{"frame method " + std::to_string(method) + " is not defined"};
        }
    }
    switch (method & 3) {
    case TargetSegment:
        return checked(c.index(), m_module.segments.size(), "segment");
    case TargetGroup:
        return checked(c.index(), m_module.groups.size(), "group");
    case TargetExternal:
        return checked(c.index(), m_module.externals.size(), "external");
    default:
        throw Fault{"explicit frame numbers are not supported"};
    }
}

void Parser::fixData(Cursor &c,
                     uint8_t &frameMethod,
                     uint32_t &frameDatum,
                     uint8_t &targetMethod,
                     uint32_t &targetDatum,
                     uint32_t &displacement)
{
    const uint8_t fix = c.byte();
    const uint8_t frame = (fix >> 4) & 7;
    if (fix & 0x80) {
        const Thread &t = m_frameThreads[frame & 3];
        if (frame > 3 || !t.defined)
            throw Fault{"frame thread " + std::to_string(frame) + " not defined"};
        frameMethod = t.method;
        frameDatum = t.datum;
    } else {
        frameMethod = frame;
        frameDatum = datum(frame, true, c);
    }
    const bool noDisplacement = fix & 4;
    if (fix & 8) {
        const Thread &t = m_targetThreads[fix & 3];
        if (!t.defined)
            throw Fault{"target thread " + std::to_string(fix & 3) + " not defined"};
        targetMethod = t.method & 3;
        targetDatum = t.datum;
    } else {
        targetMethod = fix & 3;
        targetDatum = datum(targetMethod, false, c);
    }
    displacement = noDisplacement ? 0 : c.word();
}

void Parser::fixupp(Cursor &c, uint32_t fileOffset)
{
    while (!c.atEnd()) {
        const uint8_t first = c.byte();
        if (!(first & 0x80)) {
            // THREAD: remembers a frame or target for the FIXUPs that name it.
            const bool frame = first & 0x40;
            const uint8_t method = (first >> 2) & 7;
            Thread &t = (frame ? m_frameThreads : m_targetThreads)[first & 3];
            t.method = frame ? method : uint8_t(method & 3);
            t.datum = datum(t.method, frame, c);
            t.defined = true;
            continue;
        }
        ObjFixup f;
        f.recordOffset = fileOffset;
        f.segmentRelative = first & 0x40;
        f.location = (first >> 2) & 15;
        const uint32_t at = (uint32_t(first & 3) << 8) | c.byte();
        fixData(c, f.frameMethod, f.frameDatum, f.targetMethod, f.targetDatum, f.displacement);
        const uint32_t width = locationWidth(f.location);
        if (width == 0)
            throw Fault{"fixup location " + std::to_string(f.location) + " is not supported"};
        if (!f.segmentRelative
            && (f.location == LocBase || f.location == LocPointer || f.location == LocHighByte))
            throw Fault{"a self-relative fixup of a segment or far pointer"};
        if (!m_last.present)
            throw Fault{"a fixup with no data record before it"};
        if (m_last.iterated)
            throw Fault{"fixups in iterated data are not supported"};
        if (at + width > m_last.length)
            throw Fault{"fixup at " + hex(at, 4) + " lies outside its data record"};
        if (m_module.fixups.size() >= ObjectReader::MaxFixups)
            throw Fault{"too many fixups"};
        f.segment = m_last.segment;
        f.offset = m_last.offset + at;
        m_module.fixups.push_back(f);
    }
}

void Parser::modend(Cursor &c)
{
    const uint8_t type = c.byte();
    if (type & 0x40) {
        if (!(type & 1))
            throw Fault{"a physical start address is not supported"};
        ObjStart &s = m_module.start;
        fixData(c, s.frameMethod, s.frameDatum, s.targetMethod, s.targetDatum, s.displacement);
        if (s.frameMethod == FrameLocation)
            throw Fault{"the start address has no location to take a frame from"};
        s.present = true;
    }
    m_ended = true;
}

void Parser::record(uint8_t type, Cursor &c, uint32_t fileOffset)
{
    switch (type) {
    case THEADR:
    case LHEADR:
        m_module.moduleName = c.name();
        break;
    case COMENT:
    case LINNUM:
    case LINNUM + 1:
    case LINSYM:
    case LINSYM + 1:
        break; // debugging and tool notes: nothing a 16-bit program's image depends on
    case LNAMES:
    case LLNAMES:
        names(c);
        break;
    case SEGDEF:
        segdef(c);
        break;
    case GRPDEF:
        grpdef(c);
        break;
    case EXTDEF:
    case LEXTDEF:
        extdef(c, type == LEXTDEF);
        break;
    case PUBDEF:
    case LPUBDEF:
        pubdef(c, type == LPUBDEF);
        break;
    case LEDATA:
        ledata(c);
        break;
    case LIDATA:
        lidata(c);
        break;
    case FIXUPP:
        fixupp(c, fileOffset);
        break;
    case MODEND:
        modend(c);
        break;
    case MODEND + 1:
    case PUBDEF + 1:
    case SEGDEF + 1:
    case FIXUPP + 1:
    case LEDATA + 1:
    case LIDATA + 1:
    case LPUBDEF + 1:
    case COMDAT + 1:
        throw Fault{"32-bit records are not supported"};
    case COMDEF:
    case LCOMDEF:
    case CEXTDEF:
    case COMDAT:
    case ALIAS:
    case BAKPAT:
    case BAKPAT + 1:
    case NBKPAT:
    case NBKPAT + 1:
        throw Fault{"this record type is not supported"};
    case LIBHDR:
    case LIBEND:
        throw Fault{"a library, not an object file"};
    default:
        throw Fault{"unknown record type"};
    }
}

} // namespace

std::string ObjectReader::recordName(uint8_t type)
{
    switch (type & 0xFE) {
    case THEADR:
        return "THEADR";
    case LHEADR:
        return "LHEADR";
    case COMENT:
        return "COMENT";
    case MODEND:
        return "MODEND";
    case EXTDEF:
        return "EXTDEF";
    case PUBDEF:
        return "PUBDEF";
    case LINNUM:
        return "LINNUM";
    case LNAMES:
        return "LNAMES";
    case SEGDEF:
        return "SEGDEF";
    case GRPDEF:
        return "GRPDEF";
    case FIXUPP:
        return "FIXUPP";
    case LEDATA:
        return "LEDATA";
    case LIDATA:
        return "LIDATA";
    case COMDEF:
        return "COMDEF";
    case LEXTDEF:
        return "LEXTDEF";
    case LPUBDEF:
        return "LPUBDEF";
    case LLNAMES:
        return "LLNAMES";
    case COMDAT:
        return "COMDAT";
    default:
        return "type " + hex(type, 2);
    }
}

std::vector<ObjectReader::Record> ObjectReader::records(std::string_view bytes, bool *complete)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    std::vector<Record> out;
    size_t pos = 0;
    while (pos + 3 <= bytes.size()) {
        const size_t length = size_t(data[pos + 1] | (data[pos + 2] << 8));
        if (length == 0 || length > bytes.size() - pos - 3)
            break;
        Record r;
        r.type = data[pos];
        r.offset = uint32_t(pos);
        r.length = uint32_t(length - 1);
        uint8_t sum = 0;
        for (size_t i = pos; i < pos + 3 + length; ++i)
            sum = uint8_t(sum + data[i]);
        r.checksumZero = data[pos + 3 + length - 1] == 0;
        r.checksumOk = sum == 0 || r.checksumZero;
        out.push_back(r);
        pos += 3 + length;
    }
    if (complete)
        *complete = pos == bytes.size();
    return out;
}

ObjectReader::Result ObjectReader::read(std::string_view bytes, ObjectModule &module)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    const size_t size = bytes.size();
    Parser parser(module);
    size_t pos = 0;
    uint32_t number = 0;
    Result r;
    while (pos < size && !parser.ended()) {
        ++number;
        const uint8_t type = data[pos];
        std::string where = "record " + std::to_string(number) + " (" + recordName(type) + ") at "
                            + hex(uint32_t(pos), 4) + ": ";
        if (number == 1 && type != THEADR && type != LHEADR) {
            r.error = "not an object file (it must begin with a THEADR record)";
            return r;
        }
        if (size - pos < 3) {
            r.error = where + "the file ends inside the record's header";
            return r;
        }
        const size_t length = size_t(data[pos + 1] | (data[pos + 2] << 8));
        if (length == 0 || length > size - pos - 3) {
            r.error = where
                      + (length == 0 ? "a record of length 0"
                                     : "the file ends before the record's " + std::to_string(length)
                                           + " bytes");
            return r;
        }
        // The checksum byte makes the record sum to zero; 0 means nobody computed it.
        const uint8_t checksum = data[pos + 3 + length - 1];
        if (checksum != 0) {
            uint8_t sum = 0;
            for (size_t i = pos; i < pos + 3 + length; ++i)
                sum = uint8_t(sum + data[i]);
            if (sum != 0) {
                r.error = where + "wrong checksum";
                return r;
            }
        }
        Cursor c(data + pos + 3, length - 1);
        try {
            parser.record(type, c, uint32_t(pos));
        } catch (const Fault &f) {
            r.error = where + f.what;
            return r;
        }
        pos += 3 + length;
    }
    module.recordCount = number;
    if (!parser.ended()) {
        r.error = size == 0 ? "an empty file" : "the file ends without a MODEND record";
        return r;
    }
    r.ok = true;
    return r;
}

} // namespace qvlink
