#pragma once

#include "qvasm/SourceLoader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvasm {

// The source files of one assembly, each loaded once, and the reading of them line by line
// through nested includes. Bounded in files, bytes and nesting, whatever the sources say.
class SourceReader
{
public:
    static constexpr size_t MaxFiles = 4096;
    static constexpr size_t MaxPath = 1024; // far beyond any real path; keeps lookups cheap
    static constexpr size_t MaxDepth = 1024;
    static constexpr uint64_t MaxLoadedBytes = 64u * 1024 * 1024;

    explicit SourceReader(SourceLoader *loader);
    void clear();

    // Loads a file by its absolute path (once); false with the catalogue's code (03h missing,
    // 05h unreadable or too large) and a detail.
    bool load(const std::string &path, uint32_t &id, uint8_t &failure, std::string &detail);
    uint32_t addText(std::string_view text, const std::string &name);
    // A file that could not be read still has a name for the messages about it.
    uint32_t addName(const std::string &path);
    // The file an include names: the including file's folder, the main file's, then `dirs`;
    // empty when there is none.
    std::string resolveInclude(std::string_view name,
                               uint32_t fromFile,
                               const std::vector<std::string> &dirs) const;
    const std::vector<std::string> &names() const { return m_names; }
    // A file name as include and outfile take it: quotes or angle brackets around it dropped.
    static std::string_view unquote(std::string_view s);

    // Reading.
    enum class Event { Line, FileEnd, Done };
    void begin(uint32_t mainFile);
    Event next(std::string_view &line); // after FileEnd, file() and line() name the file's end
    void push(uint32_t file);           // an include: its lines come next
    bool reading(uint32_t file) const;  // open on the include stack
    size_t depth() const { return m_frames.size(); }
    uint32_t file() const { return m_file; }
    uint32_t line() const { return m_line; }
    uint64_t linesRead() const { return m_lines; }
    uint64_t bytesRead() const { return m_bytes; }

private:
    struct Frame
    {
        uint32_t file = 0;
        size_t pos = 0;
        uint32_t line = 0;
    };

    SourceLoader *m_loader;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_names;
    std::unordered_map<std::string, uint32_t> m_index;
    uint64_t m_loaded = 0;
    std::vector<Frame> m_frames;
    uint32_t m_file = 0;
    uint32_t m_line = 0;
    uint64_t m_lines = 0;
    uint64_t m_bytes = 0;
};

} // namespace qvasm
