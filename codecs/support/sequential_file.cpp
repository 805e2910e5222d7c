#include "sequential_file.h"

#include <algorithm>
#include <cstring>

namespace kelcodec {

SequentialFile::SequentialFile(HANDLE file, int64_t offset, size_t bufferBytes) : file_(file), buffer_(bufferBytes)
{
    seek(offset);
}

void SequentialFile::seek(int64_t offset)
{
    LARGE_INTEGER li;
    li.QuadPart = offset;
    end_ = !SetFilePointerEx(file_, li, nullptr, FILE_BEGIN);
    pos_ = fill_ = 0;
}

bool SequentialFile::refill()
{
    if (end_)
        return false;
    DWORD got = 0;
    if (!ReadFile(file_, buffer_.data(), DWORD(buffer_.size()), &got, nullptr) || got == 0) {
        end_ = true;
        return false;
    }
    pos_ = 0;
    fill_ = got;
    return true;
}

size_t SequentialFile::read(uint8_t* out, size_t n)
{
    size_t done = 0;
    while (done < n) {
        if (pos_ == fill_ && !refill())
            break;
        const size_t k = std::min(n - done, fill_ - pos_);
        if (out)
            std::memcpy(out + done, buffer_.data() + pos_, k);
        pos_ += k;
        done += k;
    }
    return done;
}

size_t SequentialFile::skip(size_t n) { return read(nullptr, n); }

} // namespace kelcodec
