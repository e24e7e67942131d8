#include "workspace/WorkspaceEntry.h"

#include "workspace/RecordField.h"

#include <QtEndian>

#include <cstring>

namespace {
enum : int {
    OffPath = 0,
    OffWasOpened = 260,
    OffActive = 261,
    OffSelStart = 262,
    OffSelEnd = 266,
    OffScrollX = 270,
    OffScrollY = 274,
    OffReserved = 278,
};
static_assert(OffReserved + WorkspaceEntry::ReservedSize == WorkspaceEntry::Size);
} // namespace

WorkspaceEntry WorkspaceEntry::fromBytes(const char *bytes)
{
    WorkspaceEntry e;
    e.path = RecordField::decodeText(bytes + OffPath, PathSize);
    e.wasOpened = bytes[OffWasOpened] != 0;
    e.active = bytes[OffActive] != 0;
    e.selectionStart = qFromLittleEndian<qint32>(bytes + OffSelStart);
    e.selectionEnd = qFromLittleEndian<qint32>(bytes + OffSelEnd);
    e.scrollX = qFromLittleEndian<qint32>(bytes + OffScrollX);
    e.scrollY = qFromLittleEndian<qint32>(bytes + OffScrollY);
    std::memcpy(e.reserved.data(), bytes + OffReserved, ReservedSize);
    return e;
}

bool WorkspaceEntry::fits() const
{
    return RecordField::fitsField(path, PathSize);
}

bool WorkspaceEntry::toBytes(char *bytes) const
{
    if (!RecordField::encodeText(path, bytes + OffPath, PathSize))
        return false;
    bytes[OffWasOpened] = wasOpened ? 1 : 0;
    bytes[OffActive] = active ? 1 : 0;
    qToLittleEndian<qint32>(selectionStart, bytes + OffSelStart);
    qToLittleEndian<qint32>(selectionEnd, bytes + OffSelEnd);
    qToLittleEndian<qint32>(scrollX, bytes + OffScrollX);
    qToLittleEndian<qint32>(scrollY, bytes + OffScrollY);
    std::memcpy(bytes + OffReserved, reserved.data(), ReservedSize);
    return true;
}
