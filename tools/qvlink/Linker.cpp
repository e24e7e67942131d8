#include "qvlink/Linker.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace qvlink {

namespace {

// Codes of the error catalogue that say what went wrong here.
constexpr uint8_t kNotDefined = 0x21;
constexpr uint8_t kMultidefined = 0x1F;
constexpr uint8_t kNear64k = 0x1A;
constexpr uint8_t kOutOfRange = 0x43;
constexpr uint8_t kNoStack = 0x79;
constexpr uint8_t kTableFull = 0x10;

std::string hex(uint32_t v)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), d[v & 15]);
        v >>= 4;
    } while (v);
    if (s[0] > '9')
        s.insert(s.begin(), '0');
    return s + "h";
}

std::string hex4(uint32_t v)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 3; i >= 0; --i)
        s.push_back(d[(v >> (4 * i)) & 15]);
    return s;
}

// Names compare as DOS linkers compare them by default: without regard to case.
std::string key(const std::string &name)
{
    std::string k = name;
    for (char &c : k) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return k;
}

uint32_t alignment(uint8_t align)
{
    switch (align) {
    case 2:
        return 2;
    case 3:
        return 16;
    case 4:
        return 256;
    case 5:
        return 4;
    case 6:
        return 4096;
    default:
        return 1;
    }
}

uint32_t alignUp(uint32_t v, uint32_t a)
{
    return (v + a - 1) / a * a;
}

int combineKind(const ObjSegment &s)
{
    return s.isPublic() ? 2 : s.combine;
}

struct Frame
{
    uint32_t paragraph = 0;
    bool relocatable = true;
};

struct Address
{
    uint32_t linear = 0; // absolute segments: frame * 16 + offset
    Frame frame;         // the frame the symbol is reached through
};

struct Piece
{
    size_t module = 0;
    uint32_t segment = 0;
    uint32_t offset = 0; // within the combined segment
};

struct Segment
{
    std::string name;
    std::string className;
    int kind = 0;
    uint8_t align = 1;
    bool absolute = false;
    uint16_t absoluteFrame = 0;
    uint32_t length = 0;
    uint32_t start = 0;
    size_t classOrder = 0;
    std::vector<Piece> pieces;
};

struct Group
{
    std::string name;
    size_t module = 0; // the first to define it, for messages
    std::vector<size_t> segments;
    Frame frame;
};

struct Placement
{
    size_t segment = 0;
    uint32_t offset = 0;
};

struct Symbol
{
    Address address;
    size_t module = 0;
    std::string name;
};

class Link
{
public:
    Link(const std::vector<ObjectModule> &modules, LinkResult &r)
        : m_modules(modules)
        , m_r(r)
    {}

    void run();

private:
    void error(size_t module, uint8_t code, std::string detail)
    {
        m_r.messages.push_back({true, code, module, std::move(detail)});
    }
    void diag(size_t module, uint8_t code, std::string detail)
    {
        m_r.messages.push_back({false, code, module, std::move(detail)});
    }
    bool failed() const { return m_r.errors() > 0; }

    void combine();
    void place();
    void formGroups();
    void definePublics();
    void resolveExternals();
    void buildImage();
    void applyFixups();
    void findStart();
    void findStack();
    void writeExe();

    Frame segmentFrame(size_t segment) const
    {
        const Segment &s = m_segments[segment];
        return s.absolute ? Frame{s.absoluteFrame, false} : Frame{s.start >> 4, true};
    }
    uint32_t pieceStart(size_t module, uint32_t segment) const
    {
        const Placement &p = m_placement[module][segment];
        const Segment &s = m_segments[p.segment];
        return s.absolute ? uint32_t(s.absoluteFrame) * 16 : s.start + p.offset;
    }
    std::optional<Address> target(size_t module, uint8_t method, uint32_t datum, uint32_t disp);
    std::optional<Frame> frame(size_t module,
                               uint8_t method,
                               uint32_t datum,
                               const std::optional<Address> &target,
                               uint32_t locationSegment);
    std::string where(size_t segment, uint32_t linear) const
    {
        return m_segments[segment].name + ":" + hex4(linear - m_segments[segment].start) + "h";
    }

    const std::vector<ObjectModule> &m_modules;
    LinkResult &m_r;
    std::vector<Segment> m_segments;                 // in order of first appearance
    std::vector<size_t> m_order;                     // indexes into m_segments, in memory order
    std::vector<std::vector<Placement>> m_placement; // [module][segment]
    std::vector<Group> m_groups;
    std::vector<std::vector<size_t>> m_moduleGroups; // [module][group] -> m_groups
    std::unordered_map<std::string, Symbol> m_publics;
    std::vector<std::unordered_map<std::string, Symbol>> m_locals;
    std::vector<std::vector<std::optional<Address>>> m_externals; // [module][external]
    std::vector<uint8_t> m_image;
    uint32_t m_initialized = 0;
};

void Link::combine()
{
    std::unordered_map<std::string, size_t> combinable; // NAME\0CLASS -> m_segments
    std::unordered_map<std::string, size_t> classes;    // CLASS -> order of first appearance
    m_placement.resize(m_modules.size());
    for (size_t m = 0; m < m_modules.size(); ++m) {
        const ObjectModule &mod = m_modules[m];
        for (uint32_t i = 0; i < mod.segments.size(); ++i) {
            const ObjSegment &s = mod.segments[i];
            const std::string k = key(s.name) + '\0' + key(s.className);
            const size_t classOrder = classes.emplace(key(s.className), classes.size()).first->second;
            size_t index = m_segments.size();
            const bool combines = !s.isAbsolute() && s.combine != 0;
            const auto found = combines ? combinable.find(k) : combinable.end();
            if (found != combinable.end()) {
                index = found->second;
                if (m_segments[index].kind != combineKind(s)) {
                    error(m, kMultidefined, "segment " + s.name + " is combined in two ways");
                    m_placement[m].push_back({index, 0});
                    continue;
                }
            } else {
                if (m_segments.size() >= Linker::MaxSegments) {
                    error(m,
                          kTableFull,
                          "more than " + std::to_string(Linker::MaxSegments) + " segments");
                    return;
                }
                Segment seg;
                seg.name = s.name;
                seg.className = s.className;
                seg.kind = combineKind(s);
                seg.align = s.align;
                seg.absolute = s.isAbsolute();
                seg.absoluteFrame = s.absoluteFrame;
                seg.classOrder = classOrder;
                m_segments.push_back(std::move(seg));
                if (combines)
                    combinable.emplace(k, index);
            }
            Segment &seg = m_segments[index];
            // Common pieces overlay one another; the others follow each other, each aligned.
            const uint32_t offset = s.isCommon() ? 0 : alignUp(seg.length, alignment(s.align));
            const uint32_t end = offset + s.length;
            if (!seg.absolute && end > 0x10000) {
                error(m,
                      kNear64k,
                      "segment " + s.name + " would be " + hex(end) + " bytes, over 64 KiB");
            }
            seg.length = std::max(seg.length, end);
            seg.pieces.push_back({m, i, offset});
            m_placement[m].push_back({index, offset});
        }
    }
}

void Link::place()
{
    for (size_t i = 0; i < m_segments.size(); ++i) {
        if (!m_segments[i].absolute)
            m_order.push_back(i);
    }
    // Classes in order of first appearance, each class's segments together.
    std::stable_sort(m_order.begin(), m_order.end(), [this](size_t a, size_t b) {
        return m_segments[a].classOrder < m_segments[b].classOrder;
    });
    uint64_t at = 0;
    for (size_t i : m_order) {
        Segment &s = m_segments[i];
        const uint64_t a = alignment(s.align);
        at = (at + a - 1) / a * a;
        s.start = uint32_t(std::min<uint64_t>(at, Linker::MaxMemory));
        at += s.length;
    }
    if (at > Linker::MaxMemory) {
        error(0,
              kNear64k,
              "the program needs " + hex(uint32_t(std::min<uint64_t>(at, 0xFFFFFFFF)))
                  + " bytes, more than 1 MiB");
        return;
    }
    m_r.memoryBytes = uint32_t(at);
}

void Link::formGroups()
{
    std::map<std::string, size_t> byName;
    std::set<std::pair<size_t, size_t>> members; // group, segment
    m_moduleGroups.resize(m_modules.size());
    for (size_t m = 0; m < m_modules.size(); ++m) {
        for (const ObjGroup &g : m_modules[m].groups) {
            auto [it, added] = byName.emplace(key(g.name), m_groups.size());
            if (added)
                m_groups.push_back({g.name, m, {}, {}});
            Group &group = m_groups[it->second];
            m_moduleGroups[m].push_back(it->second);
            for (uint32_t s : g.segments) {
                const size_t seg = m_placement[m][s].segment;
                if (members.insert({it->second, seg}).second)
                    group.segments.push_back(seg);
            }
        }
    }
    for (Group &g : m_groups) {
        uint32_t low = Linker::MaxMemory;
        uint32_t high = 0;
        for (size_t s : g.segments) {
            if (m_segments[s].absolute) {
                error(g.module,
                      kNear64k,
                      "group " + g.name + " holds absolute segment " + m_segments[s].name);
                continue;
            }
            low = std::min(low, m_segments[s].start);
            high = std::max(high, m_segments[s].start + m_segments[s].length);
        }
        if (low > high)
            low = high;
        g.frame = {low >> 4, true};
        // Everything in a group is reached through one frame: 64 KiB from its paragraph.
        if (high - g.frame.paragraph * 16 > 0x10000)
            error(g.module,
                  kNear64k,
                  "group " + g.name + " spans " + hex(high - g.frame.paragraph * 16)
                      + " bytes, over 64 KiB");
        m_r.groups.emplace_back(g.name, uint16_t(g.frame.paragraph));
    }
}

void Link::definePublics()
{
    m_locals.resize(m_modules.size());
    for (size_t m = 0; m < m_modules.size(); ++m) {
        for (const ObjPublic &p : m_modules[m].publics) {
            Symbol sym;
            sym.module = m;
            sym.name = p.name;
            if (p.segment < 0) {
                sym.address = {uint32_t(p.frame) * 16 + p.offset, {p.frame, false}};
            } else {
                const size_t seg = m_placement[m][size_t(p.segment)].segment;
                sym.address.linear = pieceStart(m, uint32_t(p.segment)) + p.offset;
                sym.address.frame = p.group >= 0
                                        ? m_groups[m_moduleGroups[m][size_t(p.group)]].frame
                                        : segmentFrame(seg);
            }
            auto &table = p.local ? m_locals[m] : m_publics;
            auto [it, added] = table.emplace(key(p.name), sym);
            if (!added) {
                error(m,
                      kMultidefined,
                      p.name + " (also in " + m_modules[it->second.module].path + ")");
                continue;
            }
            const uint32_t offset = sym.address.linear - sym.address.frame.paragraph * 16;
            m_r.publics.push_back({p.name,
                                   uint16_t(sym.address.frame.paragraph),
                                   uint16_t(offset),
                                   !sym.address.frame.relocatable});
        }
    }
}

void Link::resolveExternals()
{
    m_externals.resize(m_modules.size());
    for (size_t m = 0; m < m_modules.size(); ++m) {
        std::map<std::string, bool> reported;
        for (const ObjExternal &e : m_modules[m].externals) {
            const std::string k = key(e.name);
            const auto &table = e.local ? m_locals[m] : m_publics;
            const auto it = table.find(k);
            if (it == table.end()) {
                m_externals[m].push_back(std::nullopt);
                if (reported.emplace(k, true).second)
                    error(m, kNotDefined, e.name);
                continue;
            }
            m_externals[m].push_back(it->second.address);
        }
    }
}

void Link::buildImage()
{
    m_image.assign(m_r.memoryBytes, 0);
    for (size_t i : m_order) {
        const Segment &s = m_segments[i];
        for (const Piece &p : s.pieces) {
            const ObjSegment &from = m_modules[p.module].segments[p.segment];
            if (from.initializedEnd == 0)
                continue;
            std::copy(from.data.begin(),
                      from.data.begin() + from.initializedEnd,
                      m_image.begin() + s.start + p.offset);
            m_initialized = std::max(m_initialized, s.start + p.offset + from.initializedEnd);
        }
    }
}

std::optional<Address> Link::target(size_t module, uint8_t method, uint32_t datum, uint32_t disp)
{
    Address a;
    switch (method) {
    case TargetSegment: {
        const Placement &p = m_placement[module][datum];
        a.linear = pieceStart(module, datum);
        a.frame = segmentFrame(p.segment);
        break;
    }
    case TargetGroup:
        a.frame = m_groups[m_moduleGroups[module][datum]].frame;
        a.linear = a.frame.paragraph * 16;
        break;
    default:
        if (!m_externals[module][datum])
            return std::nullopt; // reported as not defined already
        a = *m_externals[module][datum];
        break;
    }
    a.linear += disp;
    return a;
}

std::optional<Frame> Link::frame(size_t module,
                                 uint8_t method,
                                 uint32_t datum,
                                 const std::optional<Address> &target,
                                 uint32_t locationSegment)
{
    switch (method) {
    case FrameSegment:
        return segmentFrame(m_placement[module][datum].segment);
    case FrameGroup:
        return m_groups[m_moduleGroups[module][datum]].frame;
    case FrameExternal:
        if (!m_externals[module][datum])
            return std::nullopt;
        return m_externals[module][datum]->frame;
    case FrameLocation:
        return segmentFrame(m_placement[module][locationSegment].segment);
    default:
        if (!target)
            return std::nullopt;
        return target->frame;
    }
}

void Link::applyFixups()
{
    for (size_t m = 0; m < m_modules.size(); ++m) {
        for (const ObjFixup &f : m_modules[m].fixups) {
            const size_t seg = m_placement[m][f.segment].segment;
            const uint32_t at = pieceStart(m, f.segment) + f.offset;
            const auto t = target(m, f.targetMethod, f.targetDatum, f.displacement);
            const auto fr = frame(m, f.frameMethod, f.frameDatum, t, f.segment);
            if (!t || !fr)
                continue;
            const uint32_t width = locationWidth(f.location);
            uint32_t content = 0;
            for (uint32_t i = 0; i < width; ++i)
                content |= uint32_t(m_image[at + i]) << (8 * i);
            const int64_t offset = int64_t(t->linear) - int64_t(fr->paragraph) * 16;
            if (offset < 0 || offset > 0xFFFF) {
                error(m,
                      kNear64k,
                      "target " + hex(uint32_t(std::llabs(offset))) + " bytes "
                          + (offset < 0 ? "below" : "beyond") + " its frame, fixup at "
                          + where(seg, at));
                continue;
            }
            uint32_t value = 0;
            bool relocate = false;
            uint32_t relocateAt = at;
            if (!f.segmentRelative) {
                // Self-relative: from the end of the patched field, both ends in one frame.
                const int64_t from = int64_t(at) + width - int64_t(fr->paragraph) * 16;
                if (from < 0 || from > 0x10000) {
                    error(m, kNear64k, "fixup at " + where(seg, at) + " is outside its frame");
                    continue;
                }
                int64_t distance = offset - from;
                if (width == 1) {
                    distance += int8_t(content);
                    if (distance < -128 || distance > 127) {
                        const int64_t by = distance < 0 ? -128 - distance : distance - 127;
                        error(m,
                              kOutOfRange,
                              hex(uint32_t(by)) + " (short fixup at " + where(seg, at) + ")");
                        continue;
                    }
                } else {
                    distance += width == 2 ? int64_t(int16_t(content)) : int64_t(int32_t(content));
                }
                value = uint32_t(distance);
            } else {
                switch (f.location) {
                case LocLowByte:
                    value = uint32_t(offset) + content;
                    break;
                case LocHighByte:
                    value = (uint32_t(offset) >> 8) + content;
                    break;
                case LocBase:
                    value = fr->paragraph + content;
                    relocate = fr->relocatable;
                    break;
                case LocPointer:
                    value = ((uint32_t(offset) + (content & 0xFFFF)) & 0xFFFF)
                            | ((fr->paragraph + (content >> 16)) << 16);
                    relocate = fr->relocatable;
                    relocateAt = at + 2;
                    break;
                default: // the 16- and 32-bit offsets
                    value = uint32_t(offset) + content;
                    break;
                }
            }
            for (uint32_t i = 0; i < width; ++i)
                m_image[at + i] = uint8_t(value >> (8 * i));
            if (relocate) {
                if (m_r.relocations.size() >= Linker::MaxRelocations) {
                    error(m,
                          kTableFull,
                          "more than " + std::to_string(Linker::MaxRelocations) + " relocations");
                    return;
                }
                uint32_t paragraph = m_segments[seg].start >> 4;
                uint32_t within = relocateAt - paragraph * 16;
                while (within > 0xFFFF) {
                    paragraph += 0x1000;
                    within -= 0x10000;
                }
                m_r.relocations.emplace_back(uint16_t(paragraph), uint16_t(within));
            }
        }
    }
}

void Link::findStart()
{
    std::optional<size_t> from;
    for (size_t m = 0; m < m_modules.size(); ++m) {
        if (!m_modules[m].start.present)
            continue;
        if (from) {
            error(m, kMultidefined, "start address (also in " + m_modules[*from].path + ")");
            continue;
        }
        from = m;
    }
    if (!from) {
        // A program without one would start at whatever its first byte is.
        error(0, kNotDefined, "start address (no object gives one)");
        return;
    }
    const ObjStart &s = m_modules[*from].start;
    const auto t = target(*from, s.targetMethod, s.targetDatum, s.displacement);
    const auto fr = frame(*from, s.frameMethod, s.frameDatum, t, 0);
    if (!t || !fr)
        return;
    const int64_t ip = int64_t(t->linear) - int64_t(fr->paragraph) * 16;
    if (!fr->relocatable || ip < 0 || ip > 0xFFFF) {
        error(*from, kNear64k, "the start address lies outside its frame");
        return;
    }
    m_r.cs = uint16_t(fr->paragraph);
    m_r.ip = uint16_t(ip);
}

void Link::findStack()
{
    for (size_t i : m_order) {
        const Segment &s = m_segments[i];
        if (s.kind != 5 || s.length == 0)
            continue;
        m_r.ss = uint16_t(s.start >> 4);
        const uint32_t top = s.start - (s.start & ~15u) + s.length;
        if (top > 0x10000) {
            error(s.pieces.front().module, kNear64k, "stack segment " + s.name + " over 64 KiB");
            return;
        }
        m_r.sp = uint16_t(top); // 10000h wraps to 0, the top of a full 64 KiB
        return;
    }
    diag(0, kNoStack, "no stack segment (SS:SP start as 0:0)");
}

void Link::writeExe()
{
    const uint32_t imageBytes = m_initialized;
    const uint32_t headerBytes = alignUp(0x1C + 4 * uint32_t(m_r.relocations.size()), 16);
    const uint32_t fileBytes = headerBytes + imageBytes;
    const uint32_t imageParagraphs = (imageBytes + 15) / 16;
    const uint32_t memoryParagraphs = (m_r.memoryBytes + 15) / 16;
    std::vector<uint8_t> &exe = m_r.exe;
    exe.assign(fileBytes, 0);
    auto put = [&exe](uint32_t at, uint32_t v) {
        exe[at] = uint8_t(v);
        exe[at + 1] = uint8_t(v >> 8);
    };
    put(0x00, 0x5A4D); // "MZ"
    put(0x02, fileBytes % 512);
    put(0x04, (fileBytes + 511) / 512);
    put(0x06, uint32_t(m_r.relocations.size()));
    put(0x08, headerBytes / 16);
    // Uninitialized segments after the image; a full megabyte of them is more than DOS has.
    put(0x0A, std::min<uint32_t>(0xFFFF, memoryParagraphs - imageParagraphs));
    put(0x0C, 0xFFFF);
    put(0x0E, m_r.ss);
    put(0x10, m_r.sp);
    put(0x14, m_r.ip);
    put(0x16, m_r.cs);
    put(0x18, 0x1C);
    uint32_t at = 0x1C;
    for (const auto &[segment, offset] : m_r.relocations) {
        put(at, offset);
        put(at + 2, segment);
        at += 4;
    }
    std::copy(m_image.begin(), m_image.begin() + imageBytes, exe.begin() + headerBytes);
    m_r.imageBytes = imageBytes;
}

void Link::run()
{
    if (m_modules.empty())
        return;
    combine();
    if (failed())
        return;
    place();
    if (failed())
        return;
    for (size_t i : m_order)
        m_r.segments.push_back({m_segments[i].name,
                                m_segments[i].className,
                                m_segments[i].start,
                                m_segments[i].length});
    formGroups();
    definePublics();
    resolveExternals();
    if (failed())
        return;
    buildImage();
    applyFixups();
    findStart();
    findStack();
    if (failed())
        return;
    writeExe();
}

} // namespace

size_t LinkResult::errors() const
{
    return size_t(std::count_if(messages.begin(), messages.end(), [](const LinkMessage &m) {
        return m.error;
    }));
}

size_t LinkResult::diags() const
{
    return messages.size() - errors();
}

LinkResult Linker::link(const std::vector<ObjectModule> &modules)
{
    LinkResult r;
    Link(modules, r).run();
    if (r.errors() > 0)
        r.exe.clear();
    return r;
}

std::string Linker::mapText(const LinkResult &r)
{
    auto hex5 = [](uint32_t v) {
        static const char d[] = "0123456789ABCDEF";
        std::string s;
        for (int i = 4; i >= 0; --i)
            s.push_back(d[(v >> (4 * i)) & 15]);
        return s + "H";
    };
    auto pad = [](std::string s, size_t width) {
        if (s.size() < width)
            s.append(width - s.size(), ' ');
        return s;
    };
    const std::string nl = "\r\n";
    std::string out = nl + " Start  Stop   Length Name                   Class" + nl;
    for (const LinkedSegment &s : r.segments) {
        const uint32_t stop = s.length ? s.start + s.length - 1 : s.start;
        out += " " + hex5(s.start) + " " + hex5(stop) + " " + hex5(s.length) + " " + pad(s.name, 22)
               + " " + s.className + nl;
    }
    if (!r.groups.empty()) {
        out += nl + " Origin   Group" + nl;
        for (const auto &[name, frame] : r.groups)
            out += " " + hex4(frame) + ":0   " + name + nl;
    }
    auto symbols = [&](std::vector<LinkedSymbol> list, bool byValue) {
        std::stable_sort(list.begin(), list.end(), [byValue](const auto &a, const auto &b) {
            if (byValue)
                return uint32_t(a.frame) * 16 + a.offset < uint32_t(b.frame) * 16 + b.offset;
            return key(a.name) < key(b.name);
        });
        std::string text;
        for (const LinkedSymbol &s : list)
            text += " " + hex4(s.frame) + ":" + hex4(s.offset)
                    + (s.absolute ? "  Abs  " : "       ") + s.name + nl;
        return text;
    };
    out += nl + "  Address         Publics by Name" + nl + nl + symbols(r.publics, false);
    out += nl + "  Address         Publics by Value" + nl + nl + symbols(r.publics, true);
    out += nl + "Program entry point at " + hex4(r.cs) + ":" + hex4(r.ip) + nl;
    return out;
}

} // namespace qvlink
