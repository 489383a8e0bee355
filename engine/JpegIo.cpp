#include "engine/JpegIo.h"

#include <cstring>

namespace {

struct MemorySource {
    jpeg_source_mgr base;
    JOCTET endOfImage[2];
};

struct FileDestination {
    jpeg_destination_mgr base;
    OsHandle* output;
    JOCTET* buffer;
};

void sourceNothing(j_decompress_ptr) {}

// Reached only when the data is used up: a truncated file ends in an inserted EOI, and the library
// finishes the picture with its usual warning.
boolean fillFromEndOfImage(j_decompress_ptr decompressor) {
    auto* source = reinterpret_cast<MemorySource*>(decompressor->src);
    source->endOfImage[0] = 0xFF;
    source->endOfImage[1] = JPEG_EOI;
    source->base.next_input_byte = source->endOfImage;
    source->base.bytes_in_buffer = 2;
    return TRUE;
}

void skipSourceBytes(j_decompress_ptr decompressor, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* source = decompressor->src;
    size_t skip = static_cast<size_t>(count);
    if (skip > source->bytes_in_buffer) skip = source->bytes_in_buffer;
    source->next_input_byte += skip;
    source->bytes_in_buffer -= skip;
}

void initFileDestination(j_compress_ptr compressor) {
    auto* destination = reinterpret_cast<FileDestination*>(compressor->dest);
    destination->buffer = static_cast<JOCTET*>(
        (*compressor->mem->alloc_small)(reinterpret_cast<j_common_ptr>(compressor), JPOOL_IMAGE, kFileDestinationBufferSize));
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kFileDestinationBufferSize;
}

boolean flushFileDestination(j_compress_ptr compressor) {
    auto* destination = reinterpret_cast<FileDestination*>(compressor->dest);
    if (!osWriteFile(*destination->output, destination->buffer, kFileDestinationBufferSize)) {
        ERREXIT(compressor, JERR_FILE_WRITE);
    }
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kFileDestinationBufferSize;
    return TRUE;
}

void termFileDestination(j_compress_ptr compressor) {
    auto* destination = reinterpret_cast<FileDestination*>(compressor->dest);
    size_t pending = kFileDestinationBufferSize - destination->base.free_in_buffer;
    if (pending > 0 && !osWriteFile(*destination->output, destination->buffer, static_cast<uint32_t>(pending))) {
        ERREXIT(compressor, JERR_FILE_WRITE);
    }
}

void memoryNothing(j_compress_ptr) {}

// The library stores a byte before it looks at the room left, so an empty buffer would be written to.
void initMemoryDestination(j_compress_ptr compressor) {
    if (compressor->dest->free_in_buffer == 0) ERREXIT(compressor, JERR_BUFFER_SIZE);
}

// The buffer never grows: running out of room fails the encoding through the error path rather than
// letting the library write past the end.
boolean memoryBufferFull(j_compress_ptr compressor) {
    ERREXIT(compressor, JERR_BUFFER_SIZE);
    return FALSE;
}

}  // namespace

void installMemorySource(j_decompress_ptr decompressor, const uint8_t* data, uint32_t size) {
    auto* source = reinterpret_cast<MemorySource*>(decompressor->src);
    if (!source || source->base.fill_input_buffer != fillFromEndOfImage) {
        source = static_cast<MemorySource*>((*decompressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(decompressor), JPOOL_PERMANENT, sizeof(MemorySource)));
        decompressor->src = &source->base;
    }
    source->base.init_source = sourceNothing;
    source->base.fill_input_buffer = fillFromEndOfImage;
    source->base.skip_input_data = skipSourceBytes;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = sourceNothing;
    source->base.next_input_byte = data;
    source->base.bytes_in_buffer = size;
}

void installFileDestination(j_compress_ptr compressor, OsHandle* output) {
    auto* destination = reinterpret_cast<FileDestination*>(compressor->dest);
    if (!destination || destination->base.init_destination != initFileDestination) {
        destination = static_cast<FileDestination*>((*compressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(compressor), JPOOL_PERMANENT, sizeof(FileDestination)));
        compressor->dest = &destination->base;
    }
    destination->base.init_destination = initFileDestination;
    destination->base.empty_output_buffer = flushFileDestination;
    destination->base.term_destination = termFileDestination;
    destination->output = output;
    destination->buffer = nullptr;
}

void installMemoryDestination(j_compress_ptr compressor, uint8_t* buffer, uint32_t capacity) {
    auto* destination = compressor->dest;
    if (!destination || destination->empty_output_buffer != memoryBufferFull) {
        destination = static_cast<jpeg_destination_mgr*>((*compressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(compressor), JPOOL_PERMANENT, sizeof(jpeg_destination_mgr)));
        compressor->dest = destination;
    }
    destination->init_destination = initMemoryDestination;
    destination->empty_output_buffer = memoryBufferFull;
    destination->term_destination = memoryNothing;
    destination->next_output_byte = buffer;
    destination->free_in_buffer = capacity;
}
