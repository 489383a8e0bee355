// The output put in place of the destination with each OS step failing in turn: the destination holds its
// old bytes or the complete new file, and nothing this install made is left beside it.
#include "engine/FileInstall.h"

#include <gtest/gtest.h>

#include "engine/OsFile.h"
#include "support/TestFiles.h"

namespace {

std::vector<uint8_t> pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 11));
    return bytes;
}

struct FaultsOff {
    ~FaultsOff() { osClearFaults(); }
};

// What the check of the copy beside the destination saw, and what it answers.
struct SeenByCheck {
    bool answer = true;
    std::string path;
    std::vector<uint8_t> bytes;
};

bool recordCheck(const char16_t* path, void* context) {
    auto* seen = static_cast<SeenByCheck*>(context);
    seen->path = u8(path);
    seen->bytes = readFileBytes(seen->path);
    return seen->answer;
}

}  // namespace

TEST(FileInstall, EachFailingStepLeavesTheOldBytesOrTheNewFileAndNothingBeside) {
    // 1.5 MiB: the copy takes two writes, so a write can fail half-way through.
    const std::vector<uint8_t> newBytes = pattern(3 << 19, 1);
    const std::vector<uint8_t> oldBytes = pattern(5000, 9);
    struct Fault {
        OsStep step;
        int n;
    };
    struct Case {
        const char* label;
        std::vector<Fault> faults;
        bool existing;
        bool installed;
        bool recycleStep = false;  // a fault in the recycle: where there is none (POSIX) the install succeeds
        int check = 0;  // 0 none; 1 a check of the copy that passes, -1 one that finds a difference
    };
    const Case cases[] = {
        {"no fault, over an old file", {}, true, true},
        {"no fault, a new file", {}, false, true},
        {"the copy beside fails", {{OsStep::Copy, 1}}, true, false},
        {"the copy beside fails, no old file", {{OsStep::Copy, 1}}, false, false},
        {"the first write of the copy fails", {{OsStep::Write, 1}}, true, false},
        {"the second write of the copy fails", {{OsStep::Write, 2}}, true, false},
        {"the second write fails, no old file", {{OsStep::Write, 2}}, false, false},
        {"the flush of the copy fails", {{OsStep::Flush, 1}}, true, false},
        {"the flush of the copy fails, no old file", {{OsStep::Flush, 1}}, false, false},
        // The first close is that of the probe of the old file, whose result does not matter.
        {"the close of the copy fails (a full share)", {{OsStep::Close, 2}}, true, false},
        {"the close of the copy fails, no old file", {{OsStep::Close, 1}}, false, false},
        {"no hard link: the old version is copied beside", {{OsStep::Link, 1}}, true, true},
        {"no hard link and no room for the old version", {{OsStep::Link, 1}, {OsStep::Copy, 2}}, true, false, true},
        {"no hard link, the old version's copy breaks off", {{OsStep::Link, 1}, {OsStep::Write, 3}}, true, false, true},
        {"no hard link, the old version's copy unflushed", {{OsStep::Link, 1}, {OsStep::Flush, 2}}, true, false, true},
        {"the recycle fails", {{OsStep::Recycle, 1}}, true, false, true},
        {"the rename into place fails after the recycle", {{OsStep::Rename, 1}}, true, false},
        {"the rename fails after the recycle, no hard link", {{OsStep::Link, 1}, {OsStep::Rename, 1}}, true, false},
        {"the rename of a new file fails", {{OsStep::Rename, 1}}, false, false},
        {"the check of the copy passes", {}, true, true, false, 1},
        {"the check of the copy finds a difference", {}, true, false, false, -1},
        {"the check finds a difference, no old file", {}, false, false, false, -1},
    };
    for (const Case& base : cases) {
        Case c = base;
        SCOPED_TRACE(c.label);
        if (c.recycleStep && !osRecyclesReplacedFiles()) c.installed = true;
        TempDir temporary, target;
        const std::string output = temporary.file("tmp1.tmp");
        const std::string destination = target.file("photo.jpg");
        writeFileBytes(output, newBytes);
        if (c.existing) writeFileBytes(destination, oldBytes);
        bool existed = !c.existing;
        SeenByCheck seen;
        seen.answer = c.check > 0;
        const InstallCheck check = {recordCheck, &seen};
        {
            FaultsOff off;
            for (const Fault& fault : c.faults) osFailNth(fault.step, fault.n);
            EXPECT_EQ(installOutputFile(u16(output).c_str(), u16(destination).c_str(), &existed,
                                        c.check ? &check : nullptr),
                      c.installed);
        }
        if (c.check) {
            EXPECT_TRUE(seen.bytes == newBytes) << "the check reads the complete copy";
            EXPECT_EQ(seen.path.rfind(target.path, 0), 0u) << seen.path << " is not beside the destination";
        }
        EXPECT_EQ(existed, c.existing);
        if (c.installed) {
            EXPECT_TRUE(readFileBytes(destination) == newBytes) << "the complete new file";
        } else if (c.existing) {
            EXPECT_TRUE(readFileBytes(destination) == oldBytes) << "the old bytes";
        } else {
            EXPECT_FALSE(fileExists(destination));
        }
        const std::vector<std::string> left = folderNames(target.path);
        const std::vector<std::string> expected =
            c.installed || c.existing ? std::vector<std::string>{"photo.jpg"} : std::vector<std::string>{};
        EXPECT_EQ(left, expected) << "only the destination in its folder";
        EXPECT_EQ(folderNames(temporary.path), std::vector<std::string>{"tmp1.tmp"}) << "the output is the caller's";
        EXPECT_TRUE(readFileBytes(output) == newBytes);
    }
}

TEST(FileInstall, ReadOnlyOrMissingFolderIsRefusedBeforeAnythingIsMade) {
    TempDir temporary, target;
    const std::string output = temporary.file("out.tmp");
    writeFileBytes(output, pattern(100, 3));
    const std::string locked = target.file("locked.jpg");
    writeFileBytes(locked, pattern(50, 4));
    makeReadOnly(locked);
    bool existed = false;
    EXPECT_FALSE(installOutputFile(u16(output).c_str(), u16(locked).c_str(), &existed));
    EXPECT_TRUE(existed);
    EXPECT_TRUE(readFileBytes(locked) == pattern(50, 4));
    EXPECT_EQ(folderNames(target.path), std::vector<std::string>{"locked.jpg"});

    const std::string nowhere = target.file("gone/photo.jpg");
    EXPECT_FALSE(installOutputFile(u16(output).c_str(), u16(nowhere).c_str(), &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(folderNames(target.path), std::vector<std::string>{"locked.jpg"});
}

TEST(FileInstall, FaultSeamCountsFromWhenItIsArmed) {
    FaultsOff off;
    osFailNth(OsStep::Recycle, 3);
    EXPECT_FALSE(osStepFails(OsStep::Recycle));
    EXPECT_FALSE(osStepFails(OsStep::Rename)) << "the other steps are not counted";
    EXPECT_FALSE(osStepFails(OsStep::Recycle));
    EXPECT_TRUE(osStepFails(OsStep::Recycle));
    EXPECT_FALSE(osStepFails(OsStep::Recycle)) << "one failure, then off";
}
