#include "qvasm/SourceLoader.h"

#include <filesystem>
#include <fstream>
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
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return fs::exists(path, ec) ? ReadResult::Unreadable : ReadResult::NotFound;
    const auto size = fs::file_size(path, ec);
    if (ec)
        return ReadResult::Unreadable;
    if (size > MaxFileBytes)
        return ReadResult::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadResult::Unreadable;
    text.resize(size_t(size));
    in.read(text.data(), std::streamsize(size));
    text.resize(size_t(in.gcount()));
    return in.bad() ? ReadResult::Unreadable : ReadResult::Ok;
}

std::string SourceLoader::find(const std::string &path)
{
    std::error_code ec;
    if (fs::is_regular_file(path, ec))
        return path;
    const fs::path p(path);
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    const std::string want = lower(p.filename().string());
    if (want.empty() || !fs::is_directory(dir, ec))
        return {};
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (lower(it->path().filename().string()) == want && it->is_regular_file(ec))
            return it->path().string();
    }
    return {};
}

std::string SourceLoader::absolutePath(const std::string &path)
{
    // Most paths are absolute and clean already (a folder plus a plain name): no need to ask
    // the file-system library, which is slow on long paths.
    if (!path.empty() && path[0] == '/' && path.find("/.") == std::string::npos
        && path.find("//") == std::string::npos && path.back() != '/')
        return path;
    std::error_code ec;
    const fs::path abs = fs::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

std::string SourceLoader::folderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace qvasm
