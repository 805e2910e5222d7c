// Sequential file reading and writing through a buffer, for codecs that take a file a few bytes
// at a time (packet headers, run values, chunk headers) without one system call per read.
#pragma once

#include "file_io.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kel {

// Reads forward from where the handle stands when it is made. Short reads happen only at the end
// of the file (or on a read error, which counts as the end); the caller decides what a missing
// byte means.
class BufferedReader {
public:
    explicit BufferedReader(HANDLE file, size_t bufferSize = 64 * 1024) : file_(file), buffer_(bufferSize)
    {
        LARGE_INTEGER zero{}, here{};
        if (SetFilePointerEx(file_, zero, &here, FILE_CURRENT))
            base_ = here.QuadPart;
    }

    // The file offset of the next byte to be read.
    int64_t position() const { return base_ + int64_t(pos_); }

    // Up to n bytes into `out`; the number read.
    size_t read(void* out, size_t n)
    {
        uint8_t* o = static_cast<uint8_t*>(out);
        size_t done = 0;
        while (done < n) {
            if (pos_ == fill_ && !refill())
                break;
            const size_t k = std::min(n - done, fill_ - pos_);
            std::memcpy(o + done, buffer_.data() + pos_, k);
            pos_ += k;
            done += k;
        }
        return done;
    }

    // The next byte, or -1 at the end of the file.
    int byte()
    {
        if (pos_ == fill_ && !refill())
            return -1;
        return buffer_[pos_++];
    }

    // Moves to a file offset (forwards or backwards); false when the file cannot seek there.
    bool seek(int64_t offset)
    {
        if (offset >= base_ && offset <= base_ + int64_t(fill_)) {
            pos_ = size_t(offset - base_);
            return true;
        }
        LARGE_INTEGER li;
        li.QuadPart = offset;
        if (offset < 0 || !SetFilePointerEx(file_, li, nullptr, FILE_BEGIN))
            return false;
        base_ = offset;
        pos_ = fill_ = 0;
        eof_ = false;
        return true;
    }

    bool skip(uint64_t n) { return n <= uint64_t(INT64_MAX - position()) && seek(position() + int64_t(n)); }

    // Leaves the handle at the reader's position, for whoever reads the file next.
    void syncHandle()
    {
        LARGE_INTEGER li;
        li.QuadPart = position();
        SetFilePointerEx(file_, li, nullptr, FILE_BEGIN);
    }

private:
    bool refill()
    {
        if (eof_)
            return false;
        base_ += int64_t(fill_);
        pos_ = fill_ = 0;
        DWORD got = 0;
        if (!ReadFile(file_, buffer_.data(), DWORD(buffer_.size()), &got, nullptr) || got == 0) {
            eof_ = true;
            return false;
        }
        fill_ = got;
        return true;
    }

    HANDLE file_;
    std::vector<uint8_t> buffer_;
    int64_t base_ = 0; // file offset of buffer_[0]
    size_t pos_ = 0, fill_ = 0;
    bool eof_ = false;
};

// Writes forward from offset 0 in large writes; the first failure sticks. Fields written earlier
// (lengths known only at the end) are patched with `patch` after a flush.
class BufferedWriter {
public:
    // Writes from `at` on (a writer that fills in tables before the data starts after them).
    explicit BufferedWriter(const File& file, int64_t at = 0) : file_(file), offset_(at)
    {
        buffer_.reserve(kChunk + 1024);
    }

    void put(const void* p, size_t n)
    {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        buffer_.insert(buffer_.end(), b, b + n);
        if (buffer_.size() >= kChunk)
            flush();
    }
    void put(uint8_t value)
    {
        buffer_.push_back(value);
        if (buffer_.size() >= kChunk)
            flush();
    }

    // False once a write failed; the failure sticks, so a writer may check once, at the end.
    bool ok() const { return ok_; }

    // The file position of the next byte put (flushed or not).
    int64_t offset() const { return offset_ + int64_t(buffer_.size()); }

    bool flush()
    {
        if (ok_ && !buffer_.empty()) {
            ok_ = file_.writeAt(offset_, buffer_.data(), buffer_.size());
            offset_ += int64_t(buffer_.size());
        }
        buffer_.clear();
        return ok_;
    }

    bool patch(int64_t at, const void* p, size_t n)
    {
        if (flush())
            ok_ = file_.writeAt(at, p, n);
        return ok_;
    }

private:
    static constexpr size_t kChunk = 256 * 1024;
    const File& file_;
    std::vector<uint8_t> buffer_;
    int64_t offset_ = 0;
    bool ok_ = true;
};

} // namespace kel
