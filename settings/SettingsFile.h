#pragma once
// Trimwell.ini: a small random-access record file, not a text file. A 4-byte header (slot count, format
// version), a table of 8-byte slots, then a data area holding the bytes of text and data slots.
// Each slot is empty (0, 0), an integer (1, value) or a data run (absolute offset, byte length).

#include <cstdint>

#include "engine/OsFile.h"

struct TextBuffer;

constexpr uint32_t kSettingsSlotCount = 41;
constexpr uint16_t kSettingsFormatVersion = 1250;
constexpr uint32_t kSettingsTableEnd = 4 + 8 * kSettingsSlotCount;  // where a fresh data area starts: 332

struct SettingsSlot {
    uint32_t position = 0;  // 0 empty, 1 integer, 2 or more: file offset of the data
    uint32_t value = 0;     // the integer, or the data length in bytes
};

// Reads one settings file. An unreadable file gives a reader that answers with defaults and empty runs.
struct SettingsReader {
    OsHandle file = kInvalidOsHandle;
    bool valid = false;
    uint32_t slotCount = 0;  // as stored, lowered to 41
    uint64_t dataSize = 0;
    SettingsSlot slots[kSettingsSlotCount];

    SettingsReader() = default;
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;
    ~SettingsReader() { close(); }

    bool open(const char16_t* path);
    void close();
    int32_t readInt(uint32_t slot, int32_t defaultValue) const;
    // The stored text, or empty; a final odd byte is dropped. False only when memory ran out.
    bool readText(uint32_t slot, TextBuffer* text) const;
    // Length of a data slot whose length fits the data area, else 0.
    uint32_t dataLength(uint32_t slot) const;
    // Reads a whole data run of at most `capacity` bytes; false when it is absent, longer, or cut short.
    bool readData(uint32_t slot, void* bytes, uint32_t capacity, uint32_t* length) const;
};

// One save transaction: rewrites the header and the slots it is given, and on close() moves every other
// old text or data run behind the new data. Integer slots it does not write keep their old values.
struct SettingsWriter {
    OsHandle file = kInvalidOsHandle;
    bool isOpen = false;
    uint32_t nextPosition = kSettingsTableEnd;
    SettingsSlot kept[kSettingsSlotCount];
    bool rewritten[kSettingsSlotCount] = {};
    uint8_t* oldData = nullptr;  // the whole old data area, when it could be read
    uint64_t oldDataStart = 0;
    uint64_t oldDataSize = 0;

    SettingsWriter() = default;
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;
    ~SettingsWriter() { close(); }

    bool open(const char16_t* path);
    bool writeInt(uint32_t slot, int32_t value);
    bool writeText(uint32_t slot, const char16_t* chars, uint32_t count);
    bool writeData(uint32_t slot, const void* bytes, uint32_t length);
    void close();

private:
    bool writeSlot(uint32_t slot, uint32_t position, uint32_t value);
    bool appendRun(uint32_t slot, const void* bytes, uint32_t length);
    void discard();
};
