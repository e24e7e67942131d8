#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvasm {

enum class MsgKind : uint8_t { Error, Diag, Print };

struct Message
{
    MsgKind kind = MsgKind::Error;
    uint8_t code = 0;
    uint32_t file = 0; // index into the assembler's file list; NoFile for command-line errors
    uint32_t line = 0;
    std::string detail; // the symbol, the distance, or the text of %out
    std::string source; // the offending line, for the continuation line
};

// Errors, diagnostics and %out texts in the order the source produced them. The list keeps the
// first few thousand in full and only counts the rest, so a file of a million bad lines costs
// no more memory than a file of five thousand.
class Messages
{
public:
    static constexpr uint32_t NoFile = 0xFFFFFFFF;
    static constexpr size_t MaxKept = 5000;

    void add(Message m);
    // Counts one more message without keeping it (the caller saw full()).
    void count(MsgKind kind);
    bool full() const { return m_items.size() >= MaxKept; }
    // Appends another list's messages and counts (also those it only counted).
    void merge(const Messages &other);
    void clear();
    void setDiagnosticsCounted(bool on) { m_diagsOn = on; }

    const std::vector<Message> &items() const { return m_items; }
    size_t errors() const { return m_errors; }
    size_t diags() const { return m_diags; }
    bool truncated() const { return m_dropped > 0; }
    // The tools' exit code: errors plus diagnostics, at most 255.
    int exitCode() const;

    // A message about a whole file or the command line rather than one of its lines.
    static Message lineZero(uint8_t code,
                            std::string detail,
                            uint32_t file,
                            MsgKind kind = MsgKind::Error);

    // The catalogue's text for a code, without its leading ":  " and its examples, followed
    // by the detail.
    static std::string text(uint8_t code, std::string_view detail);
    // A value as the messages show it: upper-case hex with a trailing h ("12Ch", "0FFh").
    static std::string hexText(int64_t value);

    // The whole standard output of a run, as the Build Window reads it.
    std::string format(const std::vector<std::string> &files,
                       uint64_t symbolSpaceFree,
                       const std::vector<std::string> &extraLines) const;

private:
    std::vector<Message> m_items;
    size_t m_errors = 0;
    size_t m_diags = 0;
    size_t m_dropped = 0;
    bool m_diagsOn = true;
};

} // namespace qvasm
