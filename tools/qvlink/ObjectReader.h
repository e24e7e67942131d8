#pragma once

#include "qvlink/ObjectModule.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvlink {

// Reads one Intel OMF-86 object file (16-bit records). Every record's length and checksum and
// every index are checked; the first fault ends the reading with a message naming the record.
class ObjectReader
{
public:
    // Bounds that keep a hostile file from costing more than a real program could need: the
    // whole real-mode address space and indexes as the record format can write them.
    static constexpr uint32_t MaxSegments = 4096;
    static constexpr uint32_t MaxNames = 32767;
    static constexpr uint32_t MaxSymbols = 32767;
    static constexpr uint32_t MaxFixups = 262144;
    static constexpr uint32_t MaxSegmentBytes = 0x100000;
    static constexpr int MaxRepeatNesting = 16;

    struct Result
    {
        bool ok = false;
        std::string error; // "record 5 (LEDATA) at 0042h: wrong checksum"
    };

    static Result read(std::string_view bytes, ObjectModule &module);

    // The records' framing alone, for tests of what writes objects: each record's type, file
    // offset, contents length (without the checksum) and whether its checksum holds (0 holds).
    struct Record
    {
        uint8_t type = 0;
        uint32_t offset = 0;
        uint32_t length = 0;
        bool checksumOk = false;
        bool checksumZero = false;
    };
    // Stops at the end of the bytes or at a record that doesn't fit; `complete` says which.
    static std::vector<Record> records(std::string_view bytes, bool *complete = nullptr);

    // The record's usual name ("LEDATA"), or its type in hex.
    static std::string recordName(uint8_t type);
};

} // namespace qvlink
