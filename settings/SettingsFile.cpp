#include "settings/SettingsFile.h"

#include <cstdlib>
#include <cstring>

#include "common/TextBuffer.h"

namespace {

constexpr uint64_t kFourGiB = 0x100000000ULL;

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void putU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Reads `count` stored slots into `slots`; false when fewer bytes arrive.
bool readSlotTable(OsHandle file, uint32_t count, SettingsSlot* slots) {
    uint8_t table[8 * kSettingsSlotCount];
    uint32_t got = 0;
    if (!osReadAt(file, 4, table, 8 * count, &got) || got != 8 * count) return false;
    for (uint32_t i = 0; i < count; i++) {
        slots[i].position = readU32(table + 8 * i);
        slots[i].value = readU32(table + 8 * i + 4);
    }
    return true;
}

}  // namespace

// A reader that fails lets go of the file at once, so that a writer can still open it.
bool SettingsReader::open(const char16_t* path) {
    close();
    file = osOpenFile(path, OpenAccess::ReadShared);
    if (file == kInvalidOsHandle) return false;
    uint8_t header[4];
    uint32_t got = 0;
    uint64_t size = 0;
    uint32_t count = 0;
    bool ok = osReadAt(file, 0, header, 4, &got) && got == 4;
    if (ok) {
        count = static_cast<uint32_t>(header[0] | header[1] << 8);
        if (count > kSettingsSlotCount) count = kSettingsSlotCount;
        ok = readSlotTable(file, count, slots) && osFileSize(file, &size) && size < kFourGiB;
    }
    if (!ok) {
        close();
        return false;
    }
    slotCount = count;
    dataSize = size - 4 - 8 * count;
    valid = true;
    return true;
}

void SettingsReader::close() {
    osCloseFile(file);
    file = kInvalidOsHandle;
    valid = false;
    slotCount = 0;
    dataSize = 0;
    for (SettingsSlot& slot : slots) slot = SettingsSlot();
}

int32_t SettingsReader::readInt(uint32_t slot, int32_t defaultValue) const {
    if (!valid || slot >= slotCount || slots[slot].position != 1) return defaultValue;
    return static_cast<int32_t>(slots[slot].value);
}

uint32_t SettingsReader::dataLength(uint32_t slot) const {
    if (!valid || slot >= slotCount || slots[slot].position < 2 || slots[slot].value > dataSize) return 0;
    return slots[slot].value;
}

bool SettingsReader::readText(uint32_t slot, TextBuffer* text) const {
    textClear(text);
    uint32_t length = dataLength(slot);
    if (length < 2) return true;
    uint8_t* bytes = static_cast<uint8_t*>(malloc(length));
    if (!bytes) return false;
    uint32_t got = 0;
    bool ok = true;
    if (osReadAt(file, slots[slot].position, bytes, length, &got) && got == length) {
        uint32_t units = length / 2;
        ok = textSetLength(text, units);
        for (uint32_t i = 0; ok && i < units; i++) {
            text->data[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
    }
    free(bytes);
    return ok;
}

bool SettingsReader::readData(uint32_t slot, void* bytes, uint32_t capacity, uint32_t* length) const {
    *length = 0;
    uint32_t stored = dataLength(slot);
    if (stored == 0 || stored > capacity) return false;
    uint32_t got = 0;
    if (!osReadAt(file, slots[slot].position, bytes, stored, &got) || got != stored) return false;
    *length = stored;
    return true;
}

// Opens the transaction: keeps the old table and data area in memory, writes the new header with the old
// table, and cuts the file after the table so that new runs are appended from offset 332.
bool SettingsWriter::open(const char16_t* path) {
    close();
    file = osOpenOrCreateExclusive(path);
    if (file == kInvalidOsHandle) return false;
    uint8_t header[4];
    uint32_t got = 0;
    if (osReadAt(file, 0, header, 4, &got) && got == 4) {
        uint32_t storedCount = static_cast<uint32_t>(header[0] | header[1] << 8);
        uint32_t count = storedCount < kSettingsSlotCount ? storedCount : kSettingsSlotCount;
        if (!readSlotTable(file, count, kept)) {
            for (SettingsSlot& slot : kept) slot = SettingsSlot();
        } else {
            uint64_t size = 0;
            if (!osFileSize(file, &size) || size >= kFourGiB) {
                discard();
                return false;
            }
            oldDataStart = 4 + 8 * static_cast<uint64_t>(storedCount);
            uint64_t areaSize = size > oldDataStart ? size - oldDataStart : 0;
            if (areaSize > 0) {
                oldData = static_cast<uint8_t*>(malloc(areaSize));
                if (!oldData || !osReadAt(file, oldDataStart, oldData, static_cast<uint32_t>(areaSize), &got) ||
                    got != areaSize) {
                    free(oldData);
                    oldData = nullptr;
                } else {
                    oldDataSize = areaSize;
                }
            }
        }
    }
    uint8_t table[kSettingsTableEnd];
    table[0] = static_cast<uint8_t>(kSettingsSlotCount);
    table[1] = 0;
    table[2] = static_cast<uint8_t>(kSettingsFormatVersion);
    table[3] = static_cast<uint8_t>(kSettingsFormatVersion >> 8);
    for (uint32_t i = 0; i < kSettingsSlotCount; i++) {
        putU32(table + 4 + 8 * i, kept[i].position);
        putU32(table + 8 + 8 * i, kept[i].value);
    }
    uint32_t written = 0;
    isOpen = osWriteAt(file, 0, table, 4, &written) && osWriteAt(file, 4, table + 4, 8 * kSettingsSlotCount, &written) &&
             osSetFileSize(file, kSettingsTableEnd);
    nextPosition = kSettingsTableEnd;
    return isOpen;
}

bool SettingsWriter::writeSlot(uint32_t slot, uint32_t position, uint32_t value) {
    uint8_t bytes[8];
    putU32(bytes, position);
    putU32(bytes + 4, value);
    uint32_t written = 0;
    return osWriteAt(file, 4 + 8 * slot, bytes, 8, &written);
}

// Writes the slot as a run at the next data position, then its bytes.
bool SettingsWriter::appendRun(uint32_t slot, const void* bytes, uint32_t length) {
    if (!writeSlot(slot, nextPosition, length)) return false;
    uint32_t written = 0;
    bool ok = osWriteAt(file, nextPosition, bytes, length, &written);
    nextPosition += written;
    return ok;
}

// An integer written over a slot that held a run must not get the old run back at close().
bool SettingsWriter::writeInt(uint32_t slot, int32_t value) {
    if (!isOpen || slot >= kSettingsSlotCount) return false;
    rewritten[slot] = true;
    return writeSlot(slot, 1, static_cast<uint32_t>(value));
}

bool SettingsWriter::writeText(uint32_t slot, const char16_t* chars, uint32_t count) {
    if (!isOpen || slot >= kSettingsSlotCount) return false;
    if (count == 0) return writeData(slot, nullptr, 0);
    if (count > 0x7FFFFFFF) return false;
    uint8_t* bytes = static_cast<uint8_t*>(malloc(2 * static_cast<size_t>(count)));
    if (!bytes) return false;
    for (uint32_t i = 0; i < count; i++) {
        bytes[2 * i] = static_cast<uint8_t>(chars[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(chars[i] >> 8);
    }
    bool ok = writeData(slot, bytes, 2 * count);
    free(bytes);
    return ok;
}

bool SettingsWriter::writeData(uint32_t slot, const void* bytes, uint32_t length) {
    if (!isOpen || slot >= kSettingsSlotCount) return false;
    rewritten[slot] = true;
    if (length == 0) return writeSlot(slot, 0, 0);
    return appendRun(slot, bytes, length);
}

// Moves the old runs that this transaction did not rewrite behind the new data. A run whose bytes are
// not wholly inside the old data area is emptied: its old offset would otherwise point at new data.
void SettingsWriter::close() {
    if (isOpen) {
        for (uint32_t i = 0; i < kSettingsSlotCount; i++) {
            if (rewritten[i] || kept[i].position < 2) continue;
            uint64_t start = kept[i].position;
            uint64_t end = start + kept[i].value;
            if (oldData && kept[i].value > 0 && start >= oldDataStart && end <= oldDataStart + oldDataSize) {
                appendRun(i, oldData + (start - oldDataStart), kept[i].value);
            } else {
                writeSlot(i, 0, 0);
            }
        }
    }
    discard();
}

void SettingsWriter::discard() {
    free(oldData);
    oldData = nullptr;
    oldDataStart = 0;
    oldDataSize = 0;
    osCloseFile(file);
    file = kInvalidOsHandle;
    isOpen = false;
    nextPosition = kSettingsTableEnd;
    for (uint32_t i = 0; i < kSettingsSlotCount; i++) {
        kept[i] = SettingsSlot();
        rewritten[i] = false;
    }
}
