#include "robustness.h"

#include "import_patch.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace kt::robust {

namespace {

// ---- Deterministic randomness ---------------------------------------------------------------

struct Rng {
    uint64_t s;
    uint64_t next()
    {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n ? size_t(next() % n) : 0; }
};

uint64_t hashOf(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

void putField(std::vector<uint8_t>& b, const Field& f, uint32_t value)
{
    for (int i = 0; i < f.size && f.offset + size_t(i) < b.size(); ++i) {
        const int shift = f.bigEndian ? 8 * (f.size - 1 - i) : 8 * i;
        b[f.offset + size_t(i)] = uint8_t(value >> shift);
    }
}

// ---- Watching allocations through the codec library's imports ------------------------------

std::atomic<uint64_t> g_largest{0};

void note(uint64_t bytes)
{
    uint64_t seen = g_largest.load();
    while (bytes > seen && !g_largest.compare_exchange_weak(seen, bytes)) {
    }
}

decltype(&GlobalAlloc) realGlobalAlloc;
decltype(&GlobalReAlloc) realGlobalReAlloc;
decltype(&LocalAlloc) realLocalAlloc;
decltype(&LocalReAlloc) realLocalReAlloc;
decltype(&HeapAlloc) realHeapAlloc;
decltype(&HeapReAlloc) realHeapReAlloc;
decltype(&VirtualAlloc) realVirtualAlloc;
void* (*realMalloc)(size_t);
void* (*realCalloc)(size_t, size_t);
void* (*realRealloc)(void*, size_t);

HGLOBAL WINAPI hookGlobalAlloc(UINT flags, SIZE_T n) { return note(n), realGlobalAlloc(flags, n); }
HGLOBAL WINAPI hookGlobalReAlloc(HGLOBAL h, SIZE_T n, UINT flags) { return note(n), realGlobalReAlloc(h, n, flags); }
HLOCAL WINAPI hookLocalAlloc(UINT flags, SIZE_T n) { return note(n), realLocalAlloc(flags, n); }
HLOCAL WINAPI hookLocalReAlloc(HLOCAL h, SIZE_T n, UINT flags) { return note(n), realLocalReAlloc(h, n, flags); }
LPVOID WINAPI hookHeapAlloc(HANDLE heap, DWORD flags, SIZE_T n) { return note(n), realHeapAlloc(heap, flags, n); }
LPVOID WINAPI hookHeapReAlloc(HANDLE heap, DWORD flags, LPVOID p, SIZE_T n)
{
    return note(n), realHeapReAlloc(heap, flags, p, n);
}
LPVOID WINAPI hookVirtualAlloc(LPVOID p, SIZE_T n, DWORD type, DWORD protect)
{
    return note(n), realVirtualAlloc(p, n, type, protect);
}
void* hookMalloc(size_t n) { return note(n), realMalloc(n); }
void* hookCalloc(size_t count, size_t n)
{
    note(count > 0 && n > UINT64_MAX / count ? UINT64_MAX : uint64_t(count) * n);
    return realCalloc(count, n);
}
void* hookRealloc(void* p, size_t n) { return note(n), realRealloc(p, n); }

// Points the codec library's allocators at their watchers, once per library, for the process.
void watchAllocations(HMODULE module)
{
    static std::mutex lock;
    static std::vector<HMODULE> done;
    std::lock_guard<std::mutex> guard(lock);
    if (!module || std::find(done.begin(), done.end(), module) != done.end())
        return;
    done.push_back(module);
    struct Hook {
        const char* name;
        void* hook;
        void** real;
    } hooks[] = {
        {"GlobalAlloc", functionPointer(hookGlobalAlloc), reinterpret_cast<void**>(&realGlobalAlloc)},
        {"GlobalReAlloc", functionPointer(hookGlobalReAlloc), reinterpret_cast<void**>(&realGlobalReAlloc)},
        {"LocalAlloc", functionPointer(hookLocalAlloc), reinterpret_cast<void**>(&realLocalAlloc)},
        {"LocalReAlloc", functionPointer(hookLocalReAlloc), reinterpret_cast<void**>(&realLocalReAlloc)},
        {"HeapAlloc", functionPointer(hookHeapAlloc), reinterpret_cast<void**>(&realHeapAlloc)},
        {"HeapReAlloc", functionPointer(hookHeapReAlloc), reinterpret_cast<void**>(&realHeapReAlloc)},
        {"VirtualAlloc", functionPointer(hookVirtualAlloc), reinterpret_cast<void**>(&realVirtualAlloc)},
        {"malloc", functionPointer(hookMalloc), reinterpret_cast<void**>(&realMalloc)},
        {"calloc", functionPointer(hookCalloc), reinterpret_cast<void**>(&realCalloc)},
        {"realloc", functionPointer(hookRealloc), reinterpret_cast<void**>(&realRealloc)},
    };
    static std::vector<std::unique_ptr<ImportPatch>> patches; // kept for the life of the process
    for (Hook& h : hooks) {
        void* previous = nullptr;
        auto patch = std::make_unique<ImportPatch>(module, h.name, h.hook, &previous);
        if (!patch->patched())
            continue;
        if (!*h.real)
            *h.real = previous;
        patches.push_back(std::move(patch));
    }
}

// ---- The case under way, for the watchdog and the crash report ------------------------------

struct Current {
    char description[512];
    char input[MAX_PATH];
    std::atomic<ULONGLONG> deadline{0}; // 0: no call under way
};
Current g_current;

void report(const char* what)
{
    std::fprintf(stderr, "\nrobustness: %s in %s\n  input kept as %s\n", what, g_current.description,
                 g_current.input);
    std::fflush(stderr);
}

DWORD WINAPI watchdog(void*)
{
    for (;;) {
        Sleep(50);
        const ULONGLONG d = g_current.deadline.load();
        if (d && GetTickCount64() > d) {
            report("a call did not end within its time bound");
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

LONG WINAPI crashed(EXCEPTION_POINTERS* e)
{
    char what[96];
    std::snprintf(what, sizeof what, "exception 0x%08lX", e->ExceptionRecord->ExceptionCode);
    report(what);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

void startGuards()
{
    static bool started = [] {
        CloseHandle(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));
        SetUnhandledExceptionFilter(crashed);
        return true;
    }();
    (void)started;
}

// A DIB or record that keeps to the layout: sizes positive and the block large enough.
std::string malformed(HGLOBAL h, bool withPixels)
{
    const size_t size = GlobalSize(h);
    kel::GlobalLocked<uint8_t> p(h);
    if (!p || size < 40)
        return "block smaller than a header";
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, p.get(), sizeof bi);
    if (bi.biSize != 40 && bi.biSize != 36)
        return "not a 40-byte header";
    if (bi.biWidth <= 0 || bi.biHeight <= 0)
        return "width or height not positive";
    if (!withPixels)
        return {};
    const uint64_t row = ((uint64_t(bi.biWidth) * bi.biBitCount + 31) / 32) * 4;
    const uint64_t colours = bi.biClrUsed ? bi.biClrUsed : (bi.biBitCount <= 8 ? 1u << bi.biBitCount : 0);
    const uint64_t table = uint16_t(colours * 4);
    if (bi.biSize + table + row * uint64_t(bi.biHeight) > size)
        return "pixel array larger than the block";
    return {};
}

int envInt(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

} // namespace

std::vector<uint8_t> mutate(const std::vector<uint8_t>& sample, const std::vector<Field>& fields, uint64_t seed,
                            int number, std::string* description)
{
    Rng rng{seed ^ hashOf(sample) ^ (uint64_t(number) * 0xD1B54A32D192ED03ull)};
    std::vector<uint8_t> b = sample;
    char text[160];
    // Most damage is done near the start, where the headers are.
    auto position = [&]() { return rng.below(2) ? rng.below(std::min<size_t>(b.size(), 1024)) : rng.below(b.size()); };
    static const uint32_t kExtremes[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u,
                                         0xFFFFFFFFu};
    switch (number % 7) {
    case 0: { // truncation
        const size_t n = rng.below(2) ? rng.below(std::min<size_t>(b.size(), 2048)) : rng.below(b.size());
        b.resize(n);
        std::snprintf(text, sizeof text, "truncated to %zu bytes", n);
        break;
    }
    case 1: { // bit flips
        const int flips = 1 + int(rng.below(8));
        for (int i = 0; i < flips && !b.empty(); ++i)
            b[position()] ^= uint8_t(1u << rng.below(8));
        std::snprintf(text, sizeof text, "%d bits flipped", flips);
        break;
    }
    case 2:
    case 6: { // a size or count field at an extreme (6: then cut short)
        if (fields.empty() || b.empty()) {
            if (!b.empty())
                b[position()] ^= 0xFF;
            std::snprintf(text, sizeof text, "one byte inverted");
            break;
        }
        const Field& f = fields[rng.below(fields.size())];
        uint32_t value = rng.below(4) ? kExtremes[rng.below(std::size(kExtremes))] : uint32_t(rng.next());
        putField(b, f, value);
        std::snprintf(text, sizeof text, "field at %zu (%d bytes) set to 0x%X", f.offset, f.size, value);
        if (number % 7 == 6 && b.size() > f.offset) {
            b.resize(f.offset + rng.below(b.size() - f.offset));
            std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), ", cut to %zu bytes", b.size());
        }
        break;
    }
    case 3: { // bad run lengths: stretches of run-code and extreme bytes
        static const uint8_t kRunBytes[] = {0xFF, 0xC0, 0xC1, 0x00, 0x3F, 0x80, 0x7F, 0xFE};
        const int stretches = 1 + int(rng.below(4));
        for (int s = 0; s < stretches && !b.empty(); ++s) {
            const size_t at = rng.below(b.size());
            const size_t n = std::min(b.size() - at, 1 + rng.below(64));
            const uint8_t v = kRunBytes[rng.below(std::size(kRunBytes))];
            std::memset(b.data() + at, v, n);
        }
        std::snprintf(text, sizeof text, "%d stretches of run bytes", stretches);
        break;
    }
    case 4: { // random bytes
        const int n = 1 + int(rng.below(16));
        for (int i = 0; i < n && !b.empty(); ++i)
            b[position()] = uint8_t(rng.next());
        std::snprintf(text, sizeof text, "%d random bytes", n);
        break;
    }
    case 5: { // a block cut out or doubled
        if (b.size() < 2) {
            b.clear();
            std::snprintf(text, sizeof text, "emptied");
            break;
        }
        const size_t at = rng.below(b.size());
        const size_t n = std::min(b.size() - at, 1 + rng.below(256));
        if (rng.below(2)) {
            b.erase(b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + n));
            std::snprintf(text, sizeof text, "%zu bytes cut at %zu", n, at);
        } else {
            std::vector<uint8_t> block(b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + n));
            b.insert(b.begin() + ptrdiff_t(at), block.begin(), block.end());
            std::snprintf(text, sizeof text, "%zu bytes doubled at %zu", n, at);
        }
        break;
    }
    }
    if (description)
        *description = text;
    return b;
}

Report run(const Codec& codec, const std::vector<std::string>& samples, Options options)
{
    options.mutationsPerSample = envInt("KEL_FUZZ_COUNT", options.mutationsPerSample);
    options.seed = uint64_t(envInt("KEL_FUZZ_SEED", int(options.seed)));
    startGuards();
    watchAllocations(codec.module);
    Report r;
    TempDir dir;
    const std::string input = dir.file("case" + codec.extension);
    std::snprintf(g_current.input, sizeof g_current.input, "%s", input.c_str());

    for (const std::string& sample : samples) {
        const std::vector<uint8_t> original = readFile(sample);
        EXPECT_FALSE(original.empty()) << "sample " << sample << " missing";
        if (original.empty())
            continue;
        const std::string name = sample.substr(sample.find_last_of('\\') + 1);
        // The unchanged sample first: it must read, or the mutations prove little.
        for (int number = -1; number < options.mutationsPerSample; ++number) {
            std::string what = "unchanged";
            std::vector<uint8_t> bytes =
                number < 0 ? original : mutate(original, codec.fields(original), options.seed, number, &what);
            if (codec.fixup && number >= 0)
                codec.fixup(bytes);
            std::snprintf(g_current.description, sizeof g_current.description,
                          "%s sample %s, mutation %d (seed %llu): %s", codec.name.c_str(), name.c_str(), number,
                          static_cast<unsigned long long>(options.seed), what.c_str());
            if (!writeFile(input, bytes)) {
                ADD_FAILURE() << "cannot write " << input;
                return r;
            }
            const bool absurd = codec.absurd(bytes);
            const uint64_t allowance = codec.allowance(bytes.size());
            for (int entry = 0; entry < 2; ++entry) {
                g_largest = 0;
                g_current.deadline = GetTickCount64() + options.callTimeoutMs;
                HGLOBAL result = entry == 0 ? codec.info(input) : codec.open(input);
                g_current.deadline = 0;
                const char* entryName = entry == 0 ? "information entry" : "open entry";
                r.largestAllocation = std::max(r.largestAllocation, g_largest.load());
                EXPECT_LE(g_largest.load(), allowance)
                    << entryName << " asked for " << g_largest.load() << " bytes at once for a " << bytes.size()
                    << "-byte input; " << g_current.description;
                if (result) {
                    (entry == 0 ? r.infoResults : r.openResults)++;
                    EXPECT_FALSE(absurd) << entryName << " gave a result for an absurd header; "
                                         << g_current.description;
                    const std::string bad = malformed(result, entry == 1);
                    EXPECT_EQ(bad, "") << entryName << "; " << g_current.description;
                    GlobalFree(result);
                }
                if (number < 0) {
                    EXPECT_NE(result, nullptr) << "the unchanged sample did not read: " << entryName << " of " << name;
                }
            }
            ++r.cases;
            if (::testing::Test::HasFailure())
                return r; // the first failing case is the one to look at
        }
    }
    return r;
}

} // namespace kt::robust
