#include "qvasm/SourceLoader.h"

#include "qvasm/FileAccess.h"

#include <filesystem>
#include <system_error>

namespace qvasm {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s)
{
    for (char &c : s) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    }
    return s;
}

} // namespace

SourceLoader::ReadResult SourceLoader::read(const std::string &path, std::string &text)
{
    std::string why;
    switch (FileAccess::readRegular(path, MaxFileBytes, text, why)) {
    case FileAccess::ReadResult::Ok:
        return ReadResult::Ok;
    case FileAccess::ReadResult::NotFound:
        return ReadResult::NotFound;
    case FileAccess::ReadResult::NotRegular:
        return ReadResult::NotRegular;
    case FileAccess::ReadResult::TooLarge:
        return ReadResult::TooLarge;
    case FileAccess::ReadResult::Unreadable:
        break;
    }
    return ReadResult::Unreadable;
}

std::string SourceLoader::find(const std::string &path)
{
    std::error_code ec;
    const auto isEntry = [](const fs::file_status &status) {
        return fs::exists(status) && !fs::is_directory(status);
    };
    if (isEntry(fs::status(path, ec)))
        return path;
    const fs::path p(path);
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    const std::string want = lower(p.filename().string());
    if (want.empty() || !fs::is_directory(dir, ec))
        return {};
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (lower(it->path().filename().string()) == want && isEntry(it->status(ec)))
            return it->path().string();
    }
    return {};
}

std::string SourceLoader::absolutePath(const std::string &path)
{
    return FileAccess::absolutePath(path);
}

std::string SourceLoader::folderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace qvasm
