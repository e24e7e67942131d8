#include "qvlink/Driver.h"

#include "qvasm/FileAccess.h"
#include "qvasm/Messages.h"
#include "qvlink/CommandLine.h"
#include "qvlink/Linker.h"
#include "qvlink/ObjectReader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace qvlink {

namespace fs = std::filesystem;
using qvasm::Messages;
using qvasm::MsgKind;
namespace FileAccess = qvasm::FileAccess;

namespace {

std::string padded(const std::string &label)
{
    std::string s = label;
    while (s.size() < 21)
        s.push_back(' ');
    return s;
}

// No .exe or map from a failed run, not even an older one that could be mistaken for it.
void removeStale(const std::string &path, const std::vector<std::string> &objects)
{
    std::error_code ec;
    const std::string abs = FileAccess::absolutePath(path);
    if (std::find(objects.begin(), objects.end(), abs) != objects.end())
        return;
    if (fs::is_regular_file(fs::symlink_status(path, ec)))
        fs::remove(path, ec);
}

} // namespace

Driver::Result Driver::internalError(const std::string &what)
{
    Messages msgs;
    msgs.add(Messages::lineZero(0x99, what, Messages::NoFile));
    return {msgs.format({}, 0, {}), msgs.exitCode()};
}

Driver::Result Driver::run(const std::vector<std::string> &args)
{
    const CommandLine cl = CommandLine::parse(args, [](const std::string &p) {
        std::error_code ec;
        return fs::exists(p, ec);
    });
    Messages msgs;
    for (const auto &[code, detail] : cl.errors)
        msgs.add(Messages::lineZero(code, detail, Messages::NoFile));
    Result r;
    if (cl.objects.empty()) {
        msgs.add(Messages::lineZero(0x03, "no object file given", Messages::NoFile));
        r.out = msgs.format({}, 0, {});
        r.exitCode = msgs.exitCode();
        return r;
    }

    std::vector<std::string> files;
    for (const std::string &o : cl.objects)
        files.push_back(FileAccess::absolutePath(o));
    const std::string target = cl.exe.empty()
                                   ? FileAccess::replaceExtension(cl.objects.front(), "exe")
                                   : cl.exe;
    const std::string mapPath = FileAccess::replaceExtension(target, "map");
    for (const std::string &out : cl.map ? std::vector{target, mapPath} : std::vector{target}) {
        const auto same = std::find(files.begin(), files.end(), FileAccess::absolutePath(out));
        if (same != files.end())
            msgs.add(Messages::lineZero(0x06, out, uint32_t(same - files.begin())));
    }

    std::vector<ObjectModule> modules(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        std::string bytes;
        std::string why;
        switch (FileAccess::readRegular(cl.objects[i], MaxObjectBytes, bytes, why)) {
        case FileAccess::ReadResult::Ok:
            break;
        case FileAccess::ReadResult::NotFound:
            msgs.add(Messages::lineZero(0x03, {}, uint32_t(i)));
            continue;
        case FileAccess::ReadResult::TooLarge:
            msgs.add(Messages::lineZero(0x05, "larger than 16 MiB", uint32_t(i)));
            continue;
        default:
            msgs.add(Messages::lineZero(0x05, why, uint32_t(i)));
            continue;
        }
        modules[i].path = files[i];
        const ObjectReader::Result read = ObjectReader::read(bytes, modules[i]);
        if (!read.ok)
            msgs.add(Messages::lineZero(0x05, read.error, uint32_t(i)));
    }

    std::vector<std::string> extra;
    extra.push_back(padded("Objects:") + std::to_string(files.size()));
    LinkResult linked;
    if (msgs.errors() == 0) {
        linked = Linker::link(modules);
        for (const LinkMessage &m : linked.messages)
            msgs.add(Messages::lineZero(m.code,
                                        m.detail,
                                        uint32_t(m.module),
                                        m.error ? MsgKind::Error : MsgKind::Diag));
        extra.push_back(padded("Segments:") + std::to_string(linked.segments.size()));
        extra.push_back(padded("Relocations:") + std::to_string(linked.relocations.size()));
    }
    std::string written; // said only when the .exe is still there at the end
    if (msgs.errors() == 0) {
        std::string why;
        const std::string bytes(linked.exe.begin(), linked.exe.end());
        if (FileAccess::replaceAtomically(target, bytes, why))
            written = padded("Bytes written:") + std::to_string(bytes.size()) + " to " + target;
        else
            msgs.add(Messages::lineZero(0x07, target + ": " + why, 0));
    }
    std::string mapWritten;
    if (msgs.errors() == 0 && cl.map) {
        std::string why;
        if (FileAccess::replaceAtomically(mapPath, Linker::mapText(linked), why))
            mapWritten = padded("Map:") + mapPath;
        else
            msgs.add(Messages::lineZero(0x07, mapPath + ": " + why, 0));
    }
    if (msgs.errors() != 0) {
        // A map that could not be written takes the .exe just written with it.
        removeStale(target, files);
        if (cl.map)
            removeStale(mapPath, files);
    } else {
        extra.push_back(written);
        if (!mapWritten.empty())
            extra.push_back(mapWritten);
    }
    const size_t publics = linked.publics.size();
    r.out = msgs.format(files,
                        publics < ObjectReader::MaxSymbols ? ObjectReader::MaxSymbols - publics : 0,
                        extra);
    r.exitCode = msgs.exitCode();
    return r;
}

} // namespace qvlink
