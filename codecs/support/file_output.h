// File output in large writes for the codecs' writers; the first failure sticks, so a writer
// checks once, at the end.
#pragma once

#include "file_io.h"

#include <cstdint>
#include <vector>

namespace codec {

class FileOutput {
public:
    explicit FileOutput(const kel::File& f) : file_(f) { buffer_.reserve(kChunk + 1024); }
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    void put(const uint8_t* p, size_t n)
    {
        buffer_.insert(buffer_.end(), p, p + n);
        if (buffer_.size() >= kChunk)
            flush();
    }
    void put(uint8_t b) { put(&b, 1); }
    bool flush()
    {
        if (ok_ && !buffer_.empty()) {
            ok_ = file_.writeAt(offset_, buffer_.data(), buffer_.size());
            offset_ += int64_t(buffer_.size());
        }
        buffer_.clear();
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    static constexpr size_t kChunk = 256 * 1024;
    const kel::File& file_;
    std::vector<uint8_t> buffer_;
    int64_t offset_ = 0;
    bool ok_ = true;
};

} // namespace codec
