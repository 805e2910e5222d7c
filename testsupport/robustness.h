// The robustness harness every codec's tests use: deterministic mutations of each sample file
// (truncations, bit flips, size and count fields pushed to extremes, bad run lengths, random
// bytes, cut and doubled blocks) fed to the codec's information and open entries in this
// process, each call under a time bound.
//
// It fails the test when a call crashes (the case is printed and its input kept), hangs past
// the bound (a watchdog prints the case and ends the process), gives a result for a header the
// codec says is absurd, gives a malformed DIB, or asks for more memory in one piece than the
// input could honestly need (every allocation request made through the codec library's own
// imports is watched: the global, local, heap and virtual allocators and the C runtime's).
//
// The mutation count per sample comes from Options, unless the environment sets it:
// KEL_FUZZ_COUNT (mutations per sample) and KEL_FUZZ_SEED, which is how `./kel fuzz CODEC N`
// runs the same tests longer. Each codec's harness test is named Robustness.* in <codec>_tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kt::robust {

// A place in a file holding a size, count, length or code worth pushing to extremes.
struct Field {
    size_t offset;
    int size; // 1, 2 or 4 bytes
    bool bigEndian;
};

struct Codec {
    std::string name;
    std::string extension; // of the mutated files, with the point (".pcx")
    HMODULE module;        // the codec library whose allocations are watched
    // Fields of one (possibly mutated) file; may be empty.
    std::function<std::vector<Field>(const std::vector<uint8_t>& bytes)> fields;
    // Call the information entry / the open entry on the file; return the result (a DIB or an
    // image information record, owned by the caller) or null.
    std::function<HGLOBAL(const std::string& path)> info;
    std::function<HGLOBAL(const std::string& path)> open;
    // True when the file's header is absurd (no image can honestly come of it).
    std::function<bool(const std::vector<uint8_t>& bytes)> absurd;
    // The largest single allocation an input of this many bytes may honestly need.
    std::function<uint64_t(uint64_t inputBytes)> allowance;
    // Optional: applied to every mutated file before it is read (for example to make check
    // values right again, so that the damage reaches past a format's checksums).
    std::function<void(std::vector<uint8_t>& bytes)> fixup;
};

struct Options {
    int mutationsPerSample = 300;
    uint64_t seed = 1;
    DWORD callTimeoutMs = 10000;
};

struct Report {
    int cases = 0;
    int infoResults = 0;
    int openResults = 0;
    uint64_t largestAllocation = 0;
};

// Runs the mutations of every sample (paths in Windows form). Test failures are reported through
// GoogleTest; the report says how much was exercised.
Report run(const Codec& codec, const std::vector<std::string>& samples, Options options = {});

// One mutation (also used to reproduce a reported case): the sample's bytes changed by the
// mutation of that number under that seed, with a short description.
std::vector<uint8_t> mutate(const std::vector<uint8_t>& sample, const std::vector<Field>& fields, uint64_t seed,
                            int number, std::string* description);

} // namespace kt::robust
