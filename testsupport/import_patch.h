// Redirecting a library's calls to one of its imported functions (its import address table), so
// that tests can watch or fail what the library asks of the system: allocations, file calls.
// The patch holds for the object's lifetime.
#pragma once

#include <windows.h>

namespace kt {

class ImportPatch {
public:
    // Points every import named `function` of `module` at `replacement`; `original` (when given)
    // receives what was there before.
    ImportPatch(HMODULE module, const char* function, void* replacement, void** original = nullptr);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool patched() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* previous_ = nullptr;
};

// The address of a function as a plain pointer, for ImportPatch.
template <typename T> void* functionPointer(T fn) { return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(fn)); }

} // namespace kt
