// Reading a file front to back through a buffer, as the uncompressed readers do row by row.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelcodec {

class SequentialFile {
public:
    // Reads from `file` starting at `offset`; `bufferBytes` at a time.
    SequentialFile(HANDLE file, int64_t offset, size_t bufferBytes = 64 * 1024);

    // Copies up to n bytes; returns how many there were (fewer only at the end of the file or
    // after a read error, after which nothing more is read).
    size_t read(uint8_t* out, size_t n);
    // Passes over n bytes; returns how many there were.
    size_t skip(size_t n);
    // Starts reading again at `offset`.
    void seek(int64_t offset);

private:
    bool refill();

    HANDLE file_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0, fill_ = 0;
    bool end_ = false;
};

} // namespace kelcodec
