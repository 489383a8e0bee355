#include "engine/JpegIo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/TextBuffer.h"
#include "engine/LibraryError.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

// File sizes seen after each step of driving a FileDestination by hand.
struct DestinationRun {
    OsHandle output;
    uint32_t extraBytes;  // written after the two full buffers
    uint64_t sizeAfterFirst;
    uint64_t sizeAfterSecond;
    uint64_t sizeAfterTerm;
    TextBuffer* message;
};

// Calls setjmp: plain C objects only.
bool driveFileDestination(DestinationRun* run) {
    jpeg_compress_struct compressor;
    LibraryErrorManager errors;
    memset(&compressor, 0, sizeof compressor);
    compressor.err = prepareLibraryErrorManager(&errors);
    compressor.client_data = run->message;
    if (setjmp(errors.jumpPoint)) {
        jpeg_destroy_compress(&compressor);
        return false;
    }
    jpeg_create_compress(&compressor);
    installFileDestination(&compressor, &run->output);
    jpeg_destination_mgr* destination = compressor.dest;
    (*destination->init_destination)(&compressor);
    for (int round = 0; round < 2; round++) {
        memset(destination->next_output_byte, 'a' + round, destination->free_in_buffer);
        destination->next_output_byte += destination->free_in_buffer;
        destination->free_in_buffer = 0;
        (*destination->empty_output_buffer)(&compressor);
        osFileSize(run->output, round == 0 ? &run->sizeAfterFirst : &run->sizeAfterSecond);
    }
    memset(destination->next_output_byte, 'z', run->extraBytes);
    destination->next_output_byte += run->extraBytes;
    destination->free_in_buffer -= run->extraBytes;
    (*destination->term_destination)(&compressor);
    osFileSize(run->output, &run->sizeAfterTerm);
    jpeg_destroy_compress(&compressor);
    return true;
}

struct MemoryEncode {
    const std::vector<uint8_t>* pixels;
    int width;
    int height;
    uint8_t* buffer;
    uint32_t capacity;
    uint32_t produced;
    TextBuffer* message;
};

bool encodeToMemory(MemoryEncode* job) {
    jpeg_compress_struct compressor;
    LibraryErrorManager errors;
    memset(&compressor, 0, sizeof compressor);
    compressor.err = prepareLibraryErrorManager(&errors);
    compressor.client_data = job->message;
    if (setjmp(errors.jumpPoint)) {
        jpeg_destroy_compress(&compressor);
        return false;
    }
    jpeg_create_compress(&compressor);
    installMemoryDestination(&compressor, job->buffer, job->capacity);
    compressor.image_width = JDIMENSION(job->width);
    compressor.image_height = JDIMENSION(job->height);
    compressor.input_components = 3;
    compressor.in_color_space = JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&(*job->pixels)[size_t(compressor.next_scanline) * job->width * 3]);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    job->produced = job->capacity - uint32_t(compressor.dest->free_in_buffer);
    jpeg_destroy_compress(&compressor);
    return true;
}

struct SourceRead {
    const uint8_t* data;
    uint32_t size;
    long skip;
    size_t leftAfterSkip;
    uint8_t afterEnd[2];
};

void readThroughMemorySource(SourceRead* read) {
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    installMemorySource(&decompressor, read->data, read->size);
    jpeg_source_mgr* source = decompressor.src;
    (*source->skip_input_data)(&decompressor, read->skip);
    read->leftAfterSkip = source->bytes_in_buffer;
    // A second installation on the same object reuses the record.
    installMemorySource(&decompressor, read->data, read->size);
    EXPECT_EQ(decompressor.src, source);
    (*source->skip_input_data)(&decompressor, long(read->size));
    EXPECT_EQ(source->bytes_in_buffer, 0u);
    (*source->fill_input_buffer)(&decompressor);
    ASSERT_EQ(source->bytes_in_buffer, 2u);
    read->afterEnd[0] = source->next_input_byte[0];
    read->afterEnd[1] = source->next_input_byte[1];
    jpeg_destroy_decompress(&decompressor);
}

}  // namespace

TEST(JpegIo, TwoMebibytesLeaveInTwoFullWritesAndNothingMore) {
    TempDir dir;
    TextBuffer message;
    DestinationRun run{};
    run.output = osCreateFile(u16(dir.file("out.bin")).c_str());
    run.message = &message;
    ASSERT_NE(run.output, kInvalidOsHandle);
    ASSERT_TRUE(driveFileDestination(&run));
    EXPECT_EQ(run.sizeAfterFirst, kFileDestinationBufferSize);
    EXPECT_EQ(run.sizeAfterSecond, 2u * kFileDestinationBufferSize);
    EXPECT_EQ(run.sizeAfterTerm, 2u * kFileDestinationBufferSize);
    osCloseFile(run.output);
    std::vector<uint8_t> bytes = readFileBytes(dir.file("out.bin"));
    ASSERT_EQ(bytes.size(), 2u * kFileDestinationBufferSize);
    EXPECT_EQ(bytes.front(), 'a');
    EXPECT_EQ(bytes.back(), 'b');

    DestinationRun pending{};
    pending.output = osCreateFile(u16(dir.file("out2.bin")).c_str());
    pending.extraBytes = 10;
    pending.message = &message;
    ASSERT_TRUE(driveFileDestination(&pending));
    EXPECT_EQ(pending.sizeAfterTerm, 2u * kFileDestinationBufferSize + 10);
    osCloseFile(pending.output);
}

TEST(JpegIo, FailedWriteRaisesTheLibraryError) {
    TempDir dir;
    writeFileBytes(dir.file("ro.bin"), {1});
    TextBuffer message;
    DestinationRun run{};
    run.output = osOpenFile(u16(dir.file("ro.bin")).c_str(), OpenAccess::ReadShared);  // not writable
    run.message = &message;
    ASSERT_NE(run.output, kInvalidOsHandle);
    EXPECT_FALSE(driveFileDestination(&run));
    EXPECT_EQ(u8(textChars(&message)), "Output file write error --- out of disk space?");
    osCloseFile(run.output);
}

TEST(JpegIo, MemoryDestinationNeverWritesPastItsCapacity) {
    const int width = 64, height = 48;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = uint8_t(i * 37 + (i >> 5));
    TextBuffer message;
    for (uint32_t capacity : {0u, 1u, 100u, 700u}) {
        std::vector<uint8_t> buffer(capacity + 64, 0xEE);
        MemoryEncode job{&pixels, width, height, buffer.data(), capacity, 0, &message};
        EXPECT_FALSE(encodeToMemory(&job)) << capacity;
        EXPECT_EQ(u8(textChars(&message)), "Buffer passed to JPEG library is too small") << capacity;
        for (size_t i = capacity; i < buffer.size(); i++) ASSERT_EQ(buffer[i], 0xEE) << "byte " << i << " written";
    }
    std::vector<uint8_t> buffer(100000);
    MemoryEncode job{&pixels, width, height, buffer.data(), uint32_t(buffer.size()), 0, &message};
    ASSERT_TRUE(encodeToMemory(&job));
    buffer.resize(job.produced);
    TestPixels decoded = decodeTestJpeg(buffer);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, width);
}

TEST(JpegIo, MemorySourceSkipsNoFurtherThanTheDataAndThenSeesEndOfImage) {
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5};
    SourceRead read{data.data(), uint32_t(data.size()), 3, 0, {0, 0}};
    readThroughMemorySource(&read);
    EXPECT_EQ(read.leftAfterSkip, 2u);
    EXPECT_EQ(read.afterEnd[0], 0xFF);
    EXPECT_EQ(read.afterEnd[1], 0xD9);
    SourceRead far{data.data(), uint32_t(data.size()), 1000, 0, {0, 0}};
    readThroughMemorySource(&far);
    EXPECT_EQ(far.leftAfterSkip, 0u);
    SourceRead negative{data.data(), uint32_t(data.size()), -4, 0, {0, 0}};
    readThroughMemorySource(&negative);
    EXPECT_EQ(negative.leftAfterSkip, 5u);
}
