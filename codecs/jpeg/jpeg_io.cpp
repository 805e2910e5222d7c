#include "jpeg_io.h"

#include <cstring>
#include <vector>

namespace keljpg {

namespace {

void errorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void quiet(j_common_ptr, int) {}
void quietOutput(j_common_ptr) {}

// ---- File source ------------------------------------------------------------------------------

constexpr size_t kIoBuffer = 64 * 1024;

struct FileSource {
    jpeg_source_mgr pub;
    HANDLE file;
    JOCTET buffer[kIoBuffer];
    bool started;
};

void initSource(j_decompress_ptr cinfo) { reinterpret_cast<FileSource*>(cinfo->src)->started = true; }

boolean fillInput(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    DWORD got = 0;
    if (!ReadFile(src->file, src->buffer, kIoBuffer, &got, nullptr) || got == 0) {
        // A file that ends early: give libjpeg an end marker and let it fill what is missing.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    if (count <= 0)
        return;
    while (count > long(src->pub.bytes_in_buffer)) {
        count -= long(src->pub.bytes_in_buffer);
        fillInput(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr) {}

// ---- File destination -------------------------------------------------------------------------

struct FileDestination {
    jpeg_destination_mgr pub;
    HANDLE file;
    JOCTET buffer[kIoBuffer];
};

bool writeAll(HANDLE file, const void* data, size_t n)
{
    const auto* p = static_cast<const uint8_t*>(data);
    while (n) {
        DWORD put = 0;
        if (!WriteFile(file, p, DWORD(n), &put, nullptr) || put == 0)
            return false;
        p += put;
        n -= put;
    }
    return true;
}

void initFileDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kIoBuffer;
}

boolean emptyFileBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    if (!writeAll(dest->file, dest->buffer, kIoBuffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kIoBuffer;
    return TRUE;
}

void termFileDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    if (!writeAll(dest->file, dest->buffer, kIoBuffer - dest->pub.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// ---- Buffer destination -----------------------------------------------------------------------

struct BufferDestination {
    jpeg_destination_mgr pub;
    uint8_t* buffer;
    size_t size;
};

void initBufferDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<BufferDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
}

boolean bufferFull(j_compress_ptr cinfo)
{
    ERREXIT(cinfo, JERR_BUFFER_SIZE);
    return FALSE;
}

void termBufferDestination(j_compress_ptr) {}

void monitor(j_common_ptr cinfo)
{
    // Honest files have a dozen scans or so; thousands of tiny scans only burn time.
    constexpr int kMaxScans = 500;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && d->input_scan_number > kMaxScans)
        ERREXIT1(cinfo, JERR_NOT_COMPILED, kMaxScans);
}

} // namespace

jpeg_error_mgr* useErrorManager(ErrorManager* err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = errorExit;
    err->pub.emit_message = quiet;
    err->pub.output_message = quietOutput;
    return &err->pub;
}

void useFileSource(j_decompress_ptr cinfo, HANDLE file)
{
    auto* src = static_cast<FileSource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInput;
    src->pub.skip_input_data = skipInput;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
    src->started = false;
    cinfo->src = &src->pub;
}

void useFileDestination(j_compress_ptr cinfo, HANDLE file)
{
    auto* dest = static_cast<FileDestination*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileDestination)));
    dest->pub.init_destination = initFileDestination;
    dest->pub.empty_output_buffer = emptyFileBuffer;
    dest->pub.term_destination = termFileDestination;
    dest->file = file;
    cinfo->dest = &dest->pub;
}

void useBufferDestination(j_compress_ptr cinfo, uint8_t* buffer, size_t size)
{
    auto* dest = static_cast<BufferDestination*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(BufferDestination)));
    dest->pub.init_destination = initBufferDestination;
    dest->pub.empty_output_buffer = bufferFull;
    dest->pub.term_destination = termBufferDestination;
    dest->buffer = buffer;
    dest->size = size;
    cinfo->dest = &dest->pub;
}

size_t bufferBytesWritten(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<BufferDestination*>(cinfo->dest);
    return dest->size - dest->pub.free_in_buffer;
}

void limitScans(j_decompress_ptr cinfo)
{
    auto* progress = static_cast<jpeg_progress_mgr*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(jpeg_progress_mgr)));
    progress->progress_monitor = monitor;
    cinfo->progress = progress;
}

} // namespace keljpg
