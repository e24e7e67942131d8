#include "qvasm/Driver.h"

#include "qvasm/Assembler.h"
#include "qvasm/CommandLine.h"
#include "qvasm/FileAccess.h"
#include "qvasm/Listing.h"

#include <filesystem>
#include <system_error>

namespace qvasm {

namespace fs = std::filesystem;

namespace {} // namespace

Driver::Result Driver::internalError(const std::string &what)
{
    Messages msgs;
    msgs.add(Messages::lineZero(0x99, what, Messages::NoFile));
    return {msgs.format({}, 0, {}), {}, msgs.exitCode()};
}

Driver::Result Driver::run(const std::vector<std::string> &args)
{
    const CommandLine cl = CommandLine::parse(args, [](const std::string &p) {
        std::error_code ec;
        return fs::is_regular_file(p, ec);
    });
    Messages msgs;
    msgs.setDiagnosticsCounted(!cl.noDiagnostics);
    for (const auto &[code, detail] : cl.errors)
        msgs.add(Messages::lineZero(code, detail, Messages::NoFile));
    Result r;
    if (cl.source.empty()) {
        msgs.add(Messages::lineZero(0x03, "no source file given", Messages::NoFile));
        r.out = msgs.format({}, 0, {});
        r.exitCode = msgs.exitCode();
        if (cl.beep)
            r.err = "\a";
        return r;
    }

    AssemblerOptions options;
    options.optimize = cl.optimize;
    options.jumps = cl.jumps;
    options.diagnostics = !cl.noDiagnostics;
    options.listing = cl.listing && !cl.syntaxOnly;
    options.includeDirs = cl.includeDirs;
    Assembler a(options);
    const std::string sourceAbs = SourceLoader::absolutePath(cl.source);

    std::string target = cl.target;
    a.assembleFile(cl.source);
    msgs.merge(a.messages());
    std::vector<std::string> files = a.files();
    const uint32_t sourceFile = files.empty() ? Messages::NoFile : 0;

    if (target.empty()) {
        if (!a.outfile().empty()) {
            target = a.outfile();
            if (target[0] != '/')
                target = SourceLoader::folderOf(cl.source).empty()
                             ? target
                             : SourceLoader::folderOf(cl.source) + "/" + target;
        } else {
            target = FileAccess::replaceExtension(cl.source, a.smallModel() ? "obj" : "com");
        }
    }
    if (SourceLoader::absolutePath(target) == sourceAbs)
        msgs.add(Messages::lineZero(0x06, target, sourceFile));

    const std::vector<uint8_t> image = a.image();
    if (cl.bootSector && msgs.errors() == 0
        && (image.size() != 512 || image[510] != 0x55 || image[511] != 0xAA))
        msgs.add(Messages::lineZero(0x01,
                                    "a boot sector is 512 bytes ending in 55h AAh (this is "
                                        + std::to_string(image.size()) + " bytes)",
                                    sourceFile));

    std::vector<std::string> extra;
    extra.push_back("Lines assembled:     " + std::to_string(a.linesAssembled()));
    extra.push_back("Passes:              " + std::to_string(a.passes()));
    if (!cl.syntaxOnly) {
        std::string listed;
        // The listing first: a listing that can't be written is an error, and a run with errors
        // leaves no target.
        if (cl.listing) {
            const std::string listPath = (cl.source.size() >= 3
                                              ? cl.source.substr(0, cl.source.size() - 3)
                                              : cl.source)
                                         + "lst";
            std::string why = "the listing would replace the source";
            if (SourceLoader::absolutePath(listPath) != sourceAbs
                && FileAccess::replaceAtomically(listPath,
                                                 Listing::render(a, sourceAbs, cl.pageBreaks),
                                                 why))
                listed = "Listing:             " + listPath;
            else
                msgs.add(Messages::lineZero(0x07, listPath + ": " + why, sourceFile));
        }
        if (msgs.errors() == 0) {
            const std::string bytes(image.begin(), image.end());
            std::string why;
            if (FileAccess::replaceAtomically(target, bytes, why))
                extra.push_back("Bytes written:       " + std::to_string(image.size()) + " to "
                                + target);
            else
                msgs.add(Messages::lineZero(0x07, target + ": " + why, sourceFile));
        }
        if (msgs.errors() != 0) {
            // No target from a failed run, not even an older one that could be mistaken for it.
            std::error_code ec;
            if (fs::is_regular_file(target, ec) && SourceLoader::absolutePath(target) != sourceAbs)
                fs::remove(target, ec);
        }
        if (!listed.empty())
            extra.push_back(listed);
    }
    r.out = msgs.format(files, a.symbolSpaceFree(), extra);
    r.exitCode = msgs.exitCode();
    if (cl.beep && msgs.errors() > 0)
        r.err = "\a";
    return r;
}

} // namespace qvasm
