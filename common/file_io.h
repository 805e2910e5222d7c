// Positioned file I/O on Win32 handles, and whole-file replacement that a crash cannot tear.
#pragma once

#include "win_raii.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kel {

class File {
public:
    File() = default;
    explicit File(HANDLE h) : h_(h) {}

    // CreateFileA with the given access, share mode and creation disposition.
    static File open(const char* path, DWORD access, DWORD share, DWORD disposition)
    {
        return File(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    static File openRead(const char* path)
    {
        return open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    }

    explicit operator bool() const { return bool(h_); }
    HANDLE get() const { return h_.get(); }
    void close() { h_.reset(); }

    int64_t size() const
    {
        LARGE_INTEGER s;
        return GetFileSizeEx(h_.get(), &s) ? s.QuadPart : -1;
    }

    // Reads up to n bytes at offset; returns the bytes read (short at the end of the file), -1 on error.
    int64_t readAt(int64_t offset, void* buffer, size_t n) const
    {
        if (!seek(offset))
            return -1;
        size_t total = 0;
        while (total < n) {
            DWORD chunk = DWORD(std::min<size_t>(n - total, 1u << 30)), got = 0;
            if (!ReadFile(h_.get(), static_cast<char*>(buffer) + total, chunk, &got, nullptr))
                return -1;
            if (got == 0)
                break;
            total += got;
        }
        return int64_t(total);
    }

    // Writes all n bytes at offset; false on any short write.
    bool writeAt(int64_t offset, const void* data, size_t n) const
    {
        if (!seek(offset))
            return false;
        size_t total = 0;
        while (total < n) {
            DWORD chunk = DWORD(std::min<size_t>(n - total, 1u << 30)), put = 0;
            if (!WriteFile(h_.get(), static_cast<const char*>(data) + total, chunk, &put, nullptr) || put == 0)
                return false;
            total += put;
        }
        return true;
    }

    bool truncate(int64_t length) const { return seek(length) && SetEndOfFile(h_.get()); }
    bool flush() const { return FlushFileBuffers(h_.get()); }

private:
    bool seek(int64_t offset) const
    {
        LARGE_INTEGER li;
        li.QuadPart = offset;
        return SetFilePointerEx(h_.get(), li, nullptr, FILE_BEGIN);
    }

    UniqueHandle h_;
};

// Reads a whole file; false when it cannot be opened or read.
inline bool readWholeFile(const char* path, std::vector<uint8_t>* out)
{
    File f = File::openRead(path);
    if (!f)
        return false;
    int64_t size = f.size();
    if (size < 0 || uint64_t(size) > SIZE_MAX / 2)
        return false;
    out->resize(size_t(size));
    return f.readAt(0, out->data(), out->size()) == size;
}

// One piece of a file written from several places in memory.
struct FilePiece {
    const void* data;
    size_t size;
};

// Replaces a file's contents as one step: the bytes (the pieces one after the other) go to a
// temporary file beside it, which is flushed and then renamed over the target. A crash leaves
// either the old file or the new one.
inline bool replaceFile(const char* path, std::initializer_list<FilePiece> pieces)
{
    std::string temp = std::string(path) + ".tmp~";
    {
        File f = File::open(temp.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
        bool ok = bool(f);
        int64_t at = 0;
        for (const FilePiece& piece : pieces) {
            ok = ok && f.writeAt(at, piece.data, piece.size);
            at += int64_t(piece.size);
        }
        if (!ok || !f.flush()) {
            f.close();
            DeleteFileA(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

inline bool replaceFile(const char* path, const void* data, size_t n) { return replaceFile(path, {FilePiece{data, n}}); }

} // namespace kel
