#pragma once

#include <QString>

#include <array>

// One member of a workspace as it sits in the record: 324 bytes, little-endian.
//   0 path (260, NUL-terminated, at most 259 bytes)   260 was-opened flag   261 active flag
//   262 selection start   266 selection end   270 scroll x   274 scroll y   278 reserved (46)
// A value type: WorkspaceRecord::entry() decodes one, setEntry()/appendEntry() encode it. The
// reserved bytes travel with the value so an entry read and written back keeps them.
class WorkspaceEntry
{
public:
    static constexpr int Size = 324;
    static constexpr int PathSize = 260;
    static constexpr int MaxPathBytes = PathSize - 1;
    static constexpr int ReservedSize = 46;

    WorkspaceEntry() = default;
    explicit WorkspaceEntry(const QString &path)
        : path(path)
    {}

    QString path;
    bool wasOpened = false;
    bool active = false;
    qint32 selectionStart = 0;
    qint32 selectionEnd = 0;
    qint32 scrollX = 0;
    qint32 scrollY = 0;
    std::array<char, ReservedSize> reserved{};

    // Reads Size bytes; a path without terminator ends at its field's end.
    static WorkspaceEntry fromBytes(const char *bytes);
    // Writes Size bytes; false (and nothing written) when the path does not fit its field.
    bool toBytes(char *bytes) const;
    bool fits() const;

    friend bool operator==(const WorkspaceEntry &, const WorkspaceEntry &) = default;
};
