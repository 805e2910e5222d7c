// The activity flags: one bit per long activity that must not run twice at once. Every test and
// change happens under one critical section, created at start-up before the options are read.
#pragma once

#include <cstdint>

namespace kelapp {

enum : uint32_t {
    ACT_CATALOG_ENTRY = 1,
    ACT_BUILD = 2,
    ACT_PRINT = 4,
    ACT_PRINT_CATALOG = 8,
    ACT_SAVE = 16,
    ACT_BROWSE = 32,
};

void InitActivityFlags();
void DeleteActivityFlags();

// The only test-and-set: when any bit of `test` is set, returns those bits and changes nothing;
// otherwise sets `set` and returns 0. The owner clears its bit when its activity ends.
uint32_t BeginActivity(uint32_t test, uint32_t set);
// Sets (`on`) or clears `bits`.
void SetActivity(uint32_t bits, bool on);
// The current flags, read under the same lock (for the menu state).
uint32_t ActivityFlags();

} // namespace kelapp
