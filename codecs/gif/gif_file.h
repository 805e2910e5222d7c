// Sequential reading of a GIF file through a 1024-byte buffer; bytes past the end of the file
// read as 0, which every block reader of the codec takes as an ending.
#pragma once

#include "gif_lzw.h"

#include <windows.h>

#include <cstdint>

namespace gif {

class FileBytes : public ByteSource {
public:
    explicit FileBytes(HANDLE file) : file_(file) {}

    void seek(int64_t offset)
    {
        LARGE_INTEGER li;
        li.QuadPart = offset;
        SetFilePointerEx(file_, li, nullptr, FILE_BEGIN);
        base_ = offset;
        pos_ = fill_ = 0;
        eof_ = false;
    }
    int64_t tell() const { return base_ + int64_t(pos_); }
    bool atEnd() const { return eof_ && pos_ == fill_; }

    uint8_t next() override
    {
        if (pos_ == fill_ && !refill())
            return 0;
        return buffer_[pos_++];
    }
    void read(uint8_t* out, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            out[i] = next();
    }
    uint16_t u16()
    {
        const uint8_t lo = next();
        return uint16_t(lo | next() << 8);
    }
    // Skips data sub-blocks up to and including the terminating size 0 (or the end of the file).
    void skipSubBlocks()
    {
        for (uint8_t n = next(); n != 0; n = next())
            for (int i = 0; i < n; ++i)
                next();
    }

private:
    bool refill()
    {
        if (eof_)
            return false;
        base_ += int64_t(fill_);
        pos_ = fill_ = 0;
        DWORD got = 0;
        if (!ReadFile(file_, buffer_, sizeof buffer_, &got, nullptr) || got == 0) {
            eof_ = true;
            return false;
        }
        fill_ = got;
        return true;
    }

    HANDLE file_;
    uint8_t buffer_[1024];
    int64_t base_ = 0; // file offset of buffer_[0]
    size_t pos_ = 0, fill_ = 0;
    bool eof_ = false;
};

} // namespace gif
