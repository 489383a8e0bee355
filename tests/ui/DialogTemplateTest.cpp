#include "ui/DialogTemplate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes extended dialog templates the way the resource compiler lays them out.
struct TemplateBuilder {
    std::vector<uint8_t> bytes;
    size_t pointSizeOffset = 0;

    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void string(const std::u16string& s) {
        for (char16_t c : s) u16(c);
        u16(0);
    }
    void ordinal(uint16_t v) {
        u16(0xFFFF);
        u16(v);
    }
    void align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    void header(uint32_t style, uint16_t items, const std::u16string& title, bool menuOrdinal = false,
                uint16_t pointSize = 8) {
        u16(1);
        u16(0xFFFF);
        u32(0);
        u32(0);
        u32(style);
        u16(items);
        for (int i = 0; i < 4; i++) u16(10);
        if (menuOrdinal) {
            ordinal(7);
            string(u"MyDialogClass");
        } else {
            u16(0);
            u16(0);
        }
        string(title);
        pointSizeOffset = bytes.size();
        if (style & kDialogStyleSetFont) {
            u16(pointSize);
            if (pointSize == kDialogMessageBoxFont) return;  // the message box font: nothing more
            u16(400);
            bytes.push_back(0);
            bytes.push_back(1);
            string(u"MS Shell Dlg");
        }
    }
    void item(uint32_t id, uint32_t style, uint16_t classOrdinal, const std::u16string& className,
              const std::u16string& title, const std::vector<uint8_t>& extra = {}, bool titleOrdinal = false) {
        align();
        u32(0);
        u32(0);
        u32(style);
        for (int i = 0; i < 4; i++) u16(5);
        u32(id);
        if (classOrdinal) {
            ordinal(classOrdinal);
        } else {
            string(className);
        }
        if (titleOrdinal) {
            ordinal(100);
        } else {
            string(title);
        }
        u16(static_cast<uint16_t>(extra.size()));
        bytes.insert(bytes.end(), extra.begin(), extra.end());
    }
};

struct Seen {
    std::vector<DialogItemInfo> items;
    static void visit(void* context, const DialogItemInfo& item) { static_cast<Seen*>(context)->items.push_back(item); }
};

TemplateBuilder sampleTemplate() {
    TemplateBuilder b;
    b.header(0x80C800C0 | kDialogStyleSetFont, 4, u"Options");
    b.item(2310, 0x50000000, 0x82, u"", u"Language");
    b.item(2311, 0x50010203, 0x85, u"", u"");
    b.item(2221, 0x5081800D, 0, u"SysListView32", u"");
    b.item(1, 0x50010001, 0x80, u"", u"OK");
    return b;
}

}  // namespace

TEST(DialogTemplate, MeasuresSizeFontAndItems) {
    TemplateBuilder b = sampleTemplate();
    b.bytes.insert(b.bytes.end(), {0xAA, 0xBB, 0xCC});  // resource padding after the template is not copied
    DialogTemplateLayout layout;
    Seen seen;
    ASSERT_TRUE(measureDialogTemplate(b.bytes.data(), b.bytes.size(), &layout, Seen::visit, &seen));
    EXPECT_EQ(layout.size, b.bytes.size() - 3);
    EXPECT_EQ(layout.pointSizeOffset, b.pointSizeOffset);
    EXPECT_TRUE(layout.hasFont);
    EXPECT_EQ(layout.itemCount, 4);
    ASSERT_EQ(seen.items.size(), 4u);
    EXPECT_EQ(seen.items[0].id, 2310u);
    EXPECT_EQ(seen.items[0].classOrdinal, 0x82);
    EXPECT_EQ(seen.items[1].id, 2311u);
    EXPECT_EQ(seen.items[1].style, 0x50010203u);
    EXPECT_EQ(seen.items[2].classOrdinal, 0);
    EXPECT_EQ(std::u16string(seen.items[2].className), u"SysListView32");
    EXPECT_EQ(seen.items[3].id, 1u);
}

TEST(DialogTemplate, OrdinalsCreationDataAndNoFont) {
    TemplateBuilder b;
    b.header(0x80C80080, 3, u"", true);  // no DS_SETFONT; menu as ordinal, class as string
    b.item(4620, 0x50810080, 0x81, u"", u"", {1, 2, 3, 4, 5});
    b.item(4630, 0x50810080, 0, u"A very long class name that is cut to sixty-three units when copied out", u"",
           {}, true);
    b.item(1, 0, 0x80, u"", u"OK");
    DialogTemplateLayout layout;
    Seen seen;
    ASSERT_TRUE(measureDialogTemplate(b.bytes.data(), b.bytes.size(), &layout, Seen::visit, &seen));
    EXPECT_FALSE(layout.hasFont);
    EXPECT_EQ(layout.size, b.bytes.size());
    EXPECT_EQ(layout.pointSizeOffset, b.pointSizeOffset);
    ASSERT_EQ(seen.items.size(), 3u);
    EXPECT_EQ(seen.items[1].id, 4630u);
    EXPECT_EQ(std::u16string(seen.items[1].className).size(), 63u);
    EXPECT_EQ(seen.items[2].id, 1u);
}

// Point size 0x7FFF: the system reads no font block after it, so neither may the walk; the items that
// follow are found where the system finds them and the template is measured to its true end.
TEST(DialogTemplate, MessageBoxFontPointSizeHasNoFontBlock) {
    TemplateBuilder b;
    b.header(0x80C800C0, 2, u"Title", false, kDialogMessageBoxFont);
    const size_t afterPointSize = b.bytes.size();
    b.item(4620, 0x50810080, 0x81, u"", u"", {1, 2});
    b.item(1, 0, 0x80, u"", u"OK");
    DialogTemplateLayout layout;
    Seen seen;
    ASSERT_TRUE(measureDialogTemplate(b.bytes.data(), b.bytes.size(), &layout, Seen::visit, &seen));
    EXPECT_EQ(afterPointSize, b.pointSizeOffset + 2);
    EXPECT_FALSE(layout.hasFont);  // nothing to give another size: the copy keeps the system's font
    EXPECT_EQ(layout.size, b.bytes.size());
    ASSERT_EQ(seen.items.size(), 2u);
    EXPECT_EQ(seen.items[0].id, 4620u);
    EXPECT_EQ(seen.items[0].classOrdinal, 0x81);
    EXPECT_EQ(seen.items[1].id, 1u);
    // Any cut is still refused, each in a buffer of exactly its size.
    for (size_t cut = 0; cut < b.bytes.size(); cut++) {
        std::vector<uint8_t> part(b.bytes.begin(), b.bytes.begin() + static_cast<long>(cut));
        EXPECT_FALSE(measureDialogTemplate(part.data(), part.size(), &layout)) << cut;
    }
}

// Every cut of a valid template is refused without reading past the bytes given (checked under ASan,
// with each cut copied into a buffer of exactly that size).
TEST(DialogTemplate, TruncatedOrForeignBytesAreRefused) {
    TemplateBuilder b = sampleTemplate();
    for (size_t n = 0; n < b.bytes.size(); n++) {
        std::vector<uint8_t> cut(b.bytes.begin(), b.bytes.begin() + n);
        DialogTemplateLayout layout;
        EXPECT_FALSE(measureDialogTemplate(cut.empty() ? nullptr : cut.data(), n, &layout)) << n << " bytes";
        EXPECT_EQ(layout.size, 0u);
    }
    std::vector<uint8_t> plain = b.bytes;
    plain[2] = 0;  // the classic DLGTEMPLATE has no 0xFFFF signature
    DialogTemplateLayout layout;
    EXPECT_FALSE(measureDialogTemplate(plain.data(), plain.size(), &layout));
    std::vector<uint8_t> unterminated(64, 0x41);
    unterminated[0] = 1;
    unterminated[1] = 0;
    unterminated[2] = 0xFF;
    unterminated[3] = 0xFF;
    EXPECT_FALSE(measureDialogTemplate(unterminated.data(), unterminated.size(), &layout));
}
