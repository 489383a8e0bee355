#pragma once
// Builds settings files byte by byte, independently of the writer, and reads their tables back.

#include <cstdint>
#include <string>
#include <vector>

struct SettingsFileImage {
    std::vector<uint8_t> bytes;

    // A header and a table of `slotCount` empty slots.
    explicit SettingsFileImage(uint32_t slotCount, uint16_t version = 1250) {
        put16(static_cast<uint16_t>(slotCount));
        put16(version);
        bytes.resize(4 + 8 * static_cast<size_t>(slotCount), 0);
    }
    void put16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void slot(uint32_t index, uint32_t position, uint32_t value) {
        set32(4 + 8 * index, position);
        set32(8 + 8 * index, value);
    }
    void integer(uint32_t index, int32_t value) { slot(index, 1, static_cast<uint32_t>(value)); }
    // Appends the bytes to the data area and points the slot at them.
    void data(uint32_t index, const std::vector<uint8_t>& run) {
        slot(index, static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(run.size()));
        bytes.insert(bytes.end(), run.begin(), run.end());
    }
    void text(uint32_t index, const std::u16string& chars) { data(index, utf16le(chars)); }

    static std::vector<uint8_t> utf16le(const std::u16string& chars) {
        std::vector<uint8_t> out;
        for (char16_t c : chars) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
        return out;
    }
};

inline uint32_t fileU32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
inline uint32_t slotPosition(const std::vector<uint8_t>& bytes, uint32_t index) { return fileU32(bytes, 4 + 8 * index); }
inline uint32_t slotValue(const std::vector<uint8_t>& bytes, uint32_t index) { return fileU32(bytes, 8 + 8 * index); }
inline std::vector<uint8_t> slotRun(const std::vector<uint8_t>& bytes, uint32_t index) {
    uint32_t at = slotPosition(bytes, index), n = slotValue(bytes, index);
    if (at < 2 || at + static_cast<uint64_t>(n) > bytes.size()) return {};
    return std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + n);
}
