#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <random>

#include "common/TextBuffer.h"
#include "settings/SettingsFileImage.h"
#include "support/TestFiles.h"

namespace {

std::u16string readTextOf(const SettingsReader& reader, uint32_t slot) {
    TextBuffer text;
    EXPECT_TRUE(reader.readText(slot, &text));
    return std::u16string(textChars(&text), text.length);
}

// Every run of a written file lies inside it, and the runs fill the data area exactly, back to back.
void expectConsistentFile(const std::vector<uint8_t>& bytes) {
    ASSERT_GE(bytes.size(), 332u);
    EXPECT_EQ(fileU32(bytes, 0), 0x04E20029u);
    uint64_t total = 0;
    for (uint32_t i = 0; i < 41; i++) {
        uint32_t position = slotPosition(bytes, i), value = slotValue(bytes, i);
        if (position < 2) continue;
        EXPECT_GE(position, 332u) << "slot " << i;
        EXPECT_LE(position + static_cast<uint64_t>(value), bytes.size()) << "slot " << i;
        EXPECT_GT(value, 0u) << "slot " << i;
        total += value;
    }
    EXPECT_EQ(332 + total, bytes.size());
}

}  // namespace

TEST(SettingsReader, MissingFileAnswersDefaults) {
    TempDir dir;
    SettingsReader reader;
    EXPECT_FALSE(reader.open(u16(dir.file("Trimwell.ini")).c_str()));
    EXPECT_EQ(reader.readInt(6, 77), 77);
    EXPECT_EQ(readTextOf(reader, 0), u"");
    uint8_t block[144];
    uint32_t length = 99;
    EXPECT_FALSE(reader.readData(30, block, sizeof block, &length));
    EXPECT_EQ(length, 0u);
}

TEST(SettingsReader, ReadsIntegersTextsAndData) {
    TempDir dir;
    SettingsFileImage image(41);
    image.integer(6, -5);
    image.integer(12, static_cast<int32_t>(0x80000000u));
    image.text(0, u"Japanese");
    image.text(39, u"\u30e1\u30a4\u30ea\u30aa");
    image.data(30, {9, 0, 0x4F, 0, 0xEC, 0x13});
    writeFileBytes(dir.file("a.ini"), image.bytes);

    SettingsReader reader;
    ASSERT_TRUE(reader.open(u16(dir.file("a.ini")).c_str()));
    EXPECT_EQ(reader.readInt(6, 1), -5);
    EXPECT_EQ(reader.readInt(12, 2), INT32_MIN);
    EXPECT_EQ(readTextOf(reader, 0), u"Japanese");
    EXPECT_EQ(readTextOf(reader, 39), u"\u30e1\u30a4\u30ea\u30aa");
    uint8_t block[144];
    uint32_t length = 0;
    ASSERT_TRUE(reader.readData(30, block, sizeof block, &length));
    EXPECT_EQ(std::vector<uint8_t>(block, block + length), (std::vector<uint8_t>{9, 0, 0x4F, 0, 0xEC, 0x13}));
    // Slots of the other kind, empty slots and slots past the table give the default or nothing.
    EXPECT_EQ(reader.readInt(0, 3), 3);
    EXPECT_EQ(readTextOf(reader, 6), u"");
    EXPECT_EQ(readTextOf(reader, 9), u"");
    EXPECT_EQ(reader.readInt(41, 8), 8);
    EXPECT_EQ(readTextOf(reader, 41), u"");
}

TEST(SettingsReader, ShortTablesAndOddLengths) {
    TempDir dir;
    SettingsFileImage ten(10);
    ten.integer(9, 42);
    ten.integer(8, 700);
    std::vector<uint8_t> odd = SettingsFileImage::utf16le(u"abc");
    odd.push_back('d');
    ten.data(0, odd);
    // Bytes that a 41-slot reader would take for slots 10 and 11.
    ten.bytes.insert(ten.bytes.end(), {1, 0, 0, 0, 5, 0, 0, 0});
    writeFileBytes(dir.file("ten.ini"), ten.bytes);

    SettingsReader reader;
    ASSERT_TRUE(reader.open(u16(dir.file("ten.ini")).c_str()));
    EXPECT_EQ(reader.slotCount, 10u);
    EXPECT_EQ(reader.readInt(9, 0), 42);
    EXPECT_EQ(reader.readInt(8, 400), 700);
    EXPECT_EQ(reader.readInt(10, -1), -1);
    EXPECT_EQ(readTextOf(reader, 0), u"abc");  // 7 bytes: 3 code units, the odd byte dropped

    // A count above 41 is lowered; the extra slots are never looked at.
    SettingsFileImage many(60);
    many.integer(40, 1);
    many.integer(50, 1);
    writeFileBytes(dir.file("many.ini"), many.bytes);
    ASSERT_TRUE(reader.open(u16(dir.file("many.ini")).c_str()));
    EXPECT_EQ(reader.slotCount, 41u);
    EXPECT_EQ(reader.readInt(40, 0), 1);
}

TEST(SettingsReader, BrokenFilesReadAsDefaults) {
    TempDir dir;
    std::string path = dir.file("b.ini");
    SettingsReader reader;

    writeFileBytes(path, {0x29, 0x00, 0xE2});  // header cut short
    EXPECT_FALSE(reader.open(u16(path).c_str()));
    EXPECT_EQ(reader.readInt(0, 5), 5);

    SettingsFileImage image(41);
    image.integer(6, 3);
    std::vector<uint8_t> cut(image.bytes.begin(), image.bytes.begin() + 100);  // table cut short
    writeFileBytes(path, cut);
    EXPECT_FALSE(reader.open(u16(path).c_str()));
    EXPECT_EQ(reader.readInt(6, 1), 1);
    {
        SettingsWriter writer;  // the failed reader has let the file go
        EXPECT_TRUE(writer.open(u16(path).c_str()));
    }

    // A text longer than the data area, and one whose position lies past the end of the file.
    SettingsFileImage lengths(41);
    lengths.text(0, u"ok");
    lengths.slot(9, 332, 1000);
    lengths.slot(39, 5000, 2);
    lengths.slot(30, 330, 4);  // starts inside the table but fits the data area's length: read as is
    writeFileBytes(path, lengths.bytes);
    ASSERT_TRUE(reader.open(u16(path).c_str()));
    EXPECT_EQ(readTextOf(reader, 0), u"ok");
    EXPECT_EQ(readTextOf(reader, 9), u"");
    EXPECT_EQ(readTextOf(reader, 39), u"");
    uint8_t block[144];
    uint32_t length = 0;
    EXPECT_FALSE(reader.readData(9, block, sizeof block, &length));
    EXPECT_FALSE(reader.readData(39, block, sizeof block, &length));
}

TEST(SettingsWriter, FreshFileHasExactLayout) {
    TempDir dir;
    std::string path = dir.file("w.ini");
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        EXPECT_TRUE(writer.writeText(0, u"English", 7));
        EXPECT_TRUE(writer.writeInt(6, -1));
        EXPECT_TRUE(writer.writeText(39, nullptr, 0));
        EXPECT_TRUE(writer.writeData(30, "\x09\x00\x4F\x00\xEC\x13", 6));
        EXPECT_FALSE(writer.writeInt(41, 1));
        writer.close();
    }
    SettingsFileImage expected(41);
    expected.text(0, u"English");
    expected.integer(6, -1);
    expected.data(30, {0x09, 0x00, 0x4F, 0x00, 0xEC, 0x13});
    EXPECT_EQ(readFileBytes(path), expected.bytes);
}

TEST(SettingsWriter, CarriesOverRunsItDoesNotRewrite) {
    TempDir dir;
    std::string path = dir.file("c.ini");
    SettingsFileImage old(41);
    old.text(0, u"Japanese");
    old.integer(6, 3);
    old.text(9, u"C:\\Photos");
    old.data(30, {1, 0, 8, 0, 0x88, 0x13});
    old.text(39, u"Meiryo");
    old.integer(13, 4);
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        writer.writeInt(13, 16);
        writer.writeInt(21, 9);
        writer.writeText(9, u"D:\\", 3);
        writer.close();
    }
    std::vector<uint8_t> bytes = readFileBytes(path);
    expectConsistentFile(bytes);
    // The new run comes first; the carried ones follow in slot order.
    EXPECT_EQ(slotPosition(bytes, 9), 332u);
    EXPECT_EQ(slotRun(bytes, 9), SettingsFileImage::utf16le(u"D:\\"));
    EXPECT_EQ(slotPosition(bytes, 0), 338u);
    EXPECT_EQ(slotRun(bytes, 0), SettingsFileImage::utf16le(u"Japanese"));
    EXPECT_LT(slotPosition(bytes, 30), slotPosition(bytes, 39));
    EXPECT_EQ(slotRun(bytes, 30), (std::vector<uint8_t>{1, 0, 8, 0, 0x88, 0x13}));
    EXPECT_EQ(slotRun(bytes, 39), SettingsFileImage::utf16le(u"Meiryo"));
    EXPECT_EQ(slotPosition(bytes, 6), 1u);
    EXPECT_EQ(slotValue(bytes, 6), 3u);
    EXPECT_EQ(slotValue(bytes, 13), 16u);
    EXPECT_EQ(slotValue(bytes, 21), 9u);
}

TEST(SettingsWriter, TenSlotFileBecomesFortyOne) {
    TempDir dir;
    std::string path = dir.file("t.ini");
    SettingsFileImage old(10);
    old.text(0, u"English");
    old.integer(4, 1024);
    old.text(9, u"/pictures");
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        for (uint32_t slot = 13; slot <= 29; slot++) writer.writeInt(slot, static_cast<int32_t>(slot));
        writer.close();
    }
    std::vector<uint8_t> bytes = readFileBytes(path);
    expectConsistentFile(bytes);
    EXPECT_EQ(slotRun(bytes, 0), SettingsFileImage::utf16le(u"English"));
    EXPECT_EQ(slotRun(bytes, 9), SettingsFileImage::utf16le(u"/pictures"));
    EXPECT_EQ(slotValue(bytes, 4), 1024u);
    for (uint32_t slot = 13; slot <= 29; slot++) EXPECT_EQ(slotValue(bytes, slot), slot);
    for (uint32_t slot : {1u, 2u, 3u, 5u, 6u, 10u, 12u, 30u, 31u, 39u, 40u}) {
        EXPECT_EQ(slotPosition(bytes, slot), 0u) << slot;
        EXPECT_EQ(slotValue(bytes, slot), 0u) << slot;
    }
}

TEST(SettingsWriter, RunsOutsideTheOldDataAreaAreEmptied) {
    TempDir dir;
    std::string path = dir.file("o.ini");
    SettingsFileImage old(41);
    old.text(0, u"English");
    old.slot(9, 100, 4);                    // inside the old table, not the data area
    old.slot(39, 5000, 6);                  // past the end of the file
    old.slot(38, 346, 0xFFFFFFF0u);         // a length that runs past the end
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        writer.close();
    }
    std::vector<uint8_t> bytes = readFileBytes(path);
    expectConsistentFile(bytes);
    EXPECT_EQ(slotRun(bytes, 0), SettingsFileImage::utf16le(u"English"));
    for (uint32_t slot : {9u, 38u, 39u}) EXPECT_EQ(slotPosition(bytes, slot), 0u) << slot;
}

// Without this, close() would put the old run back over the new integer.
TEST(SettingsWriter, IntegerOverOldRunStaysInteger) {
    TempDir dir;
    std::string path = dir.file("i.ini");
    SettingsFileImage old(41);
    old.text(6, u"oops");
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        writer.writeInt(6, 2);
        writer.close();
    }
    std::vector<uint8_t> bytes = readFileBytes(path);
    EXPECT_EQ(bytes.size(), 332u);
    EXPECT_EQ(slotPosition(bytes, 6), 1u);
    EXPECT_EQ(slotValue(bytes, 6), 2u);
}

TEST(SettingsWriter, UsesTheStoredCountForTheOldDataArea) {
    TempDir dir;
    std::string path = dir.file("l.ini");
    SettingsFileImage old(50);
    old.text(0, u"English");
    old.text(45, u"dropped");
    old.integer(44, 3);
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        writer.close();
    }
    std::vector<uint8_t> bytes = readFileBytes(path);
    expectConsistentFile(bytes);
    EXPECT_EQ(bytes.size(), 332u + 14);
    EXPECT_EQ(slotRun(bytes, 0), SettingsFileImage::utf16le(u"English"));
}

TEST(SettingsWriter, LockedOrReadOnlyFileIsLeftAlone) {
    TempDir dir;
    std::string path = dir.file("r.ini");
    SettingsFileImage old(41);
    old.text(0, u"English");
    writeFileBytes(path, old.bytes);
    {
        SettingsWriter first;
        ASSERT_TRUE(first.open(u16(path).c_str()));
        SettingsWriter second;
        EXPECT_FALSE(second.open(u16(path).c_str()));
        EXPECT_FALSE(second.writeInt(6, 1));
        second.close();
        first.close();
    }
    std::vector<uint8_t> before = readFileBytes(path);
    makeReadOnly(path);
    SettingsWriter writer;
    EXPECT_FALSE(writer.open(u16(path).c_str()));
    EXPECT_FALSE(writer.isOpen);
    writer.writeInt(1, 1);
    writer.close();
    EXPECT_EQ(readFileBytes(path), before);
}

// Random bytes, random tables with plausible slot kinds: reading never crashes and never returns bytes
// from outside the file, and a save transaction over such a file always leaves a consistent file.
TEST(SettingsWriter, GarbageFilesNeverBreakReaderOrWriter) {
    TempDir dir;
    std::string path = dir.file("g.ini");
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; round++) {
        std::vector<uint8_t> bytes(random() % 700);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        if (round % 2 == 0 && bytes.size() >= 4) {
            bytes[0] = static_cast<uint8_t>(random() % 60);
            bytes[1] = 0;
            for (size_t at = 4; at + 8 <= bytes.size() && at < 4 + 8 * 41; at += 8) {
                uint32_t kind = random() % 4;
                uint32_t position = kind < 2 ? kind : static_cast<uint32_t>(random() % (bytes.size() + 40));
                uint32_t value = kind < 2 ? random() : static_cast<uint32_t>(random() % 200);
                for (int i = 0; i < 4; i++) bytes[at + i] = static_cast<uint8_t>(position >> (8 * i));
                for (int i = 0; i < 4; i++) bytes[at + 4 + i] = static_cast<uint8_t>(value >> (8 * i));
            }
        }
        writeFileBytes(path, bytes);
        {
            SettingsReader reader;
            reader.open(u16(path).c_str());
            for (uint32_t slot = 0; slot < 42; slot++) {
                TextBuffer text;
                reader.readText(slot, &text);
                EXPECT_LE(text.length * 2, bytes.size());
                uint8_t block[144];
                uint32_t length = 0;
                if (reader.readData(slot, block, sizeof block, &length)) {
                    EXPECT_LE(length, bytes.size());
                }
            }
        }
        SettingsWriter writer;
        ASSERT_TRUE(writer.open(u16(path).c_str()));
        writer.writeInt(random() % 41, 7);
        writer.writeText(random() % 41, u"xyz", 3);
        writer.close();
        std::vector<uint8_t> written = readFileBytes(path);
        expectConsistentFile(written);
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round << ", input of " << bytes.size() << " bytes";
            break;
        }
    }
}
