// libjpeg plumbing shared by the reader and the writer: error handling that returns to the
// caller instead of ending the process, and data sources and destinations on Win32 files and
// memory.
//
// libjpeg reports a fatal error by calling error_exit, which here jumps back to the last
// setjmp of the job. Every function that calls setjmp keeps only trivially destructible locals,
// so the jump skips no destructor; the jobs' owners free what was allocated.
#pragma once

#include <windows.h>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdint>

#include <jerror.h>
#include <jpeglib.h>

namespace keljpg {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Installs the error manager (fatal errors jump to `jump`, messages are not shown).
jpeg_error_mgr* useErrorManager(ErrorManager* err);

// Reads from a Win32 file handle at its current position; the end of the file reads as an end of
// image marker, as libjpeg's own file source does.
void useFileSource(j_decompress_ptr cinfo, HANDLE file);

// Writes to a Win32 file handle; a failed write is a fatal error of the job.
void useFileDestination(j_compress_ptr cinfo, HANDLE file);

// Writes into the caller's buffer; running out of room is a fatal error of the job.
void useBufferDestination(j_compress_ptr cinfo, uint8_t* buffer, size_t size);
size_t bufferBytesWritten(j_compress_ptr cinfo);

// Ends a decode whose input has more scans than any honest file (a cost bomb).
void limitScans(j_decompress_ptr cinfo);

} // namespace keljpg
