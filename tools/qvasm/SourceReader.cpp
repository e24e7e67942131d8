#include "qvasm/SourceReader.h"

#include <algorithm>

namespace qvasm {

std::string_view SourceReader::unquote(std::string_view s)
{
    if (s.size() >= 2
        && ((s.front() == '"' && s.back() == '"') || (s.front() == '\'' && s.back() == '\'')
            || (s.front() == '<' && s.back() == '>')))
        return s.substr(1, s.size() - 2);
    return s;
}

SourceReader::SourceReader(SourceLoader *loader)
    : m_loader(loader)
{}

void SourceReader::clear()
{
    m_texts.clear();
    m_names.clear();
    m_index.clear();
    m_loaded = 0;
    m_frames.clear();
}

bool SourceReader::load(const std::string &path, uint32_t &id, uint8_t &failure, std::string &detail)
{
    failure = 0;
    detail.clear();
    if (const auto it = m_index.find(path); it != m_index.end()) {
        id = it->second;
        return true;
    }
    if (m_texts.size() >= MaxFiles) {
        failure = 0x05;
        detail = "more than " + std::to_string(MaxFiles) + " source files";
        return false;
    }
    std::string text;
    switch (m_loader->read(path, text)) {
    case SourceLoader::ReadResult::Ok:
        break;
    case SourceLoader::ReadResult::NotFound:
        failure = 0x03;
        return false;
    case SourceLoader::ReadResult::TooLarge:
        failure = 0x05;
        detail = "larger than 16 MiB";
        return false;
    case SourceLoader::ReadResult::NotRegular:
        // A pipe would block and a device never ends: neither is read.
        failure = 0x05;
        detail = "not a regular file";
        return false;
    case SourceLoader::ReadResult::Unreadable:
        failure = 0x05;
        return false;
    }
    if (m_loaded + text.size() > MaxLoadedBytes) {
        failure = 0x05;
        detail = "sources together larger than 64 MiB";
        return false;
    }
    m_loaded += text.size();
    id = addText(text, path);
    return true;
}

uint32_t SourceReader::addText(std::string_view text, const std::string &name)
{
    const uint32_t id = uint32_t(m_texts.size());
    m_index.emplace(name, id);
    m_texts.emplace_back(text);
    m_names.push_back(name);
    return id;
}

uint32_t SourceReader::addName(const std::string &path)
{
    m_names.push_back(path);
    m_texts.emplace_back();
    return uint32_t(m_names.size() - 1);
}

std::string SourceReader::resolveInclude(std::string_view rawName,
                                         uint32_t fromFile,
                                         const std::vector<std::string> &dirs) const
{
    std::string name(unquote(rawName));
    std::replace(name.begin(), name.end(), '\\', '/');
    // No file has such a name: control characters, or longer than any path may be.
    if (name.empty() || name.size() > MaxPath
        || std::any_of(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x20; }))
        return {};
    if (name.front() == '/') {
        const std::string found = m_loader->find(name);
        return found.empty() ? std::string() : SourceLoader::absolutePath(found);
    }
    std::vector<std::string> folders{SourceLoader::folderOf(m_names[fromFile]),
                                     SourceLoader::folderOf(m_names[0])};
    folders.insert(folders.end(), dirs.begin(), dirs.end());
    for (const std::string &d : folders) {
        const std::string candidate = d.empty() ? name : d + "/" + name;
        if (candidate.size() > MaxPath)
            continue;
        const std::string found = m_loader->find(candidate);
        if (!found.empty())
            return SourceLoader::absolutePath(found);
    }
    return {};
}

void SourceReader::begin(uint32_t mainFile)
{
    m_frames.assign(1, Frame{mainFile, 0, 0});
    m_file = mainFile;
    m_line = 0;
    m_lines = m_bytes = 0;
}

void SourceReader::push(uint32_t file)
{
    m_frames.push_back(Frame{file, 0, 0});
}

bool SourceReader::reading(uint32_t file) const
{
    return std::any_of(m_frames.begin(), m_frames.end(), [file](const Frame &f) {
        return f.file == file;
    });
}

SourceReader::Event SourceReader::next(std::string_view &line)
{
    if (m_frames.empty())
        return Event::Done;
    Frame &f = m_frames.back();
    const std::string &text = m_texts[f.file];
    if (f.pos >= text.size()) {
        m_file = f.file;
        m_line = f.line;
        m_frames.pop_back();
        return Event::FileEnd;
    }
    if (f.pos == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        f.pos = 3; // a UTF-8 byte-order mark, as some editors write one
    size_t end = text.find('\n', f.pos);
    if (end == std::string::npos)
        end = text.size();
    line = std::string_view(text).substr(f.pos, end - f.pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    f.pos = end + 1;
    ++f.line;
    m_file = f.file;
    m_line = f.line;
    ++m_lines;
    m_bytes += line.size() + 1;
    return Event::Line;
}

} // namespace qvasm
