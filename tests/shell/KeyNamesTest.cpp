#include "shell/KeyNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/TestFiles.h"

namespace {

std::string nameOf(uint32_t key) {
    const char16_t* name = keyName(key);
    return name ? u8(name) : std::string("(none)");
}

}  // namespace

TEST(KeyNames, NamedKeysOfEachGroup) {
    EXPECT_EQ(nameOf(0x08), "BackSpace");
    EXPECT_EQ(nameOf(0x1B), "Esc");
    EXPECT_EQ(nameOf(0x22), "PageDown");
    EXPECT_EQ(nameOf(0x2E), "Delete");
    EXPECT_EQ(nameOf(0x30), "0");
    EXPECT_EQ(nameOf(0x39), "9");
    EXPECT_EQ(nameOf(0x41), "A");
    EXPECT_EQ(nameOf(0x5A), "Z");
    EXPECT_EQ(nameOf(0x60), "[Num] 0 ");  // with its trailing blank
    EXPECT_EQ(nameOf(0x69), "[Num] 9");
    EXPECT_EQ(nameOf(0x6B), "[Num] +");
    EXPECT_EQ(nameOf(0x6F), "[Num] /");
    EXPECT_EQ(nameOf(0x70), "F1");
    EXPECT_EQ(nameOf(0x7B), "F12");
    EXPECT_EQ(nameOf(0xBA), ":");
    EXPECT_EQ(nameOf(0xC0), "@");
    EXPECT_EQ(nameOf(0xDC), "\\");
    EXPECT_EQ(nameOf(0xE2), "_");
    EXPECT_EQ(nameOf(0xF0), "CapsLock");
}

TEST(KeyNames, KeysWithoutNameAndHighBitsIgnored) {
    for (uint32_t key : {0x00u, 0x10u, 0x11u, 0x2Fu, 0x3Au, 0x5Bu, 0x6Cu, 0x7Cu, 0xFFu}) {
        EXPECT_EQ(keyName(key), nullptr) << "key 0x" << std::hex << key;
    }
    EXPECT_EQ(nameOf(0x1F41), "A");   // only the low 8 bits are a virtual key
    EXPECT_EQ(nameOf(0xFF0D), "Enter");
}

TEST(KeyNames, ModifierNamesByMaskedFlags) {
    EXPECT_EQ(u8(modifierName(5)), "Shift+");
    EXPECT_EQ(u8(modifierName(9)), "Ctrl+");
    EXPECT_EQ(u8(modifierName(13)), "Ctrl+Shift+");
    EXPECT_EQ(u8(modifierName(0x19)), "Ctrl+");  // Alt (16) is masked away
    for (uint32_t flags : {0u, 1u, 3u, 4u, 8u, 12u, 15u}) EXPECT_EQ(modifierName(flags), nullptr) << flags;
}

TEST(KeyNames, DialogKeyListIsTheNamedKeysInDialogOrder) {
    std::set<uint8_t> seen;
    for (int i = 0; i < kNamedKeyCount; ++i) {
        EXPECT_NE(keyName(kNamedKeys[i]), nullptr) << "index " << i;
        EXPECT_TRUE(seen.insert(kNamedKeys[i]).second) << "duplicate at index " << i;
    }
    int named = 0;
    for (uint32_t key = 0; key < 256; ++key) named += keyName(key) != nullptr;
    EXPECT_EQ(named, kNamedKeyCount);
    EXPECT_EQ(nameOf(kNamedKeys[15]), "CapsLock");
    EXPECT_EQ(nameOf(kNamedKeys[16]), ":");
    EXPECT_EQ(nameOf(kNamedKeys[27]), "_");
    EXPECT_EQ(nameOf(kNamedKeys[28]), "0");
    EXPECT_EQ(nameOf(kNamedKeys[38]), "A");
    EXPECT_EQ(nameOf(kNamedKeys[64]), "F1");
    EXPECT_EQ(nameOf(kNamedKeys[76]), "[Num] 0 ");
    EXPECT_EQ(nameOf(kNamedKeys[90]), "[Num] /");
}
