// Internals of the catalog engine shared by its source files.
#pragma once

#include "kelcat.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelcat {

// ---- Application state and messages ---------------------------------------------------------
AppState* app();
HWND mainWindow();
// ErrMsgHelp with the application's instance and help file. Caption and text are string ids
// (below 0x10000) or texts.
int message(HWND owner, DWORD helpTopic, DWORD flags, const char* caption, const char* text, ...);
std::string loadText(UINT id);

// ---- Names ----------------------------------------------------------------------------------
// The one collation of the engine: case-insensitive by the user's locale, spaces before every
// character allowed in a file name. Compares at most `limit` bytes of each name.
int compareNames(const char* a, const char* b, size_t limit = SIZE_MAX);
// The entry's name as a terminated text (a 13-character name fills its field).
std::string nameOf(const IndexEntry& e);
bool isFree(const IndexEntry& e);
void setName(IndexEntry* e, const char* name);
void setFreeName(IndexEntry* e); // 12 spaces

// ---- Raw file access on the descriptor's handles ---------------------------------------------
inline HANDLE h(intptr_t v) { return reinterpret_cast<HANDLE>(v); }
inline bool isOpen(intptr_t v) { return v != -1 && v != 0; }
bool seekTo(HANDLE f, int64_t offset);
int64_t readAt(HANDLE f, int64_t offset, void* buffer, size_t n); // bytes read, -1 on error
bool writeAt(HANDLE f, int64_t offset, const void* data, size_t n);
bool readNext(HANDLE f, void* buffer, size_t n); // at the current position; false when short
int64_t fileSize(HANDLE f);

// ---- Per-index state that does not fit the 32-bit descriptor --------------------------------
// Kept by the index block's handle, so it lives exactly as long as the cached index.
struct Engine {
    std::vector<char> heap;          // long names, zero-terminated; a reference is offset + 1
    FILETIME indexWrite{};           // the index file's exact last-write time when last read or written
    int64_t indexBytes = -1;         //   and its size
    bool dirty = false;              // the index in memory is ahead of the index file
    bool markerOnDisk = false;       // the index file's header entry says so (see markIndexDirty)
    std::vector<uint8_t> headerRecord; // the header record as last read or written
    std::string shortName;           // GetLongShortName's buffer
    std::string storedPassword;      // the password the catalog had when loaded
    bool longNamesDirty = false;     // the long-name file does not hold the long-name index yet
    int64_t freeSpace = -1;          // free disk space when last asked, less what was written since
    HANDLE mapping = nullptr;        // a read-only view of the catalog file while it is open,
    const uint8_t* view = nullptr;   //   so that lookups read records without file calls
    int64_t viewBytes = 0;
};
Engine& engine(CatalogDescriptor* d);
void dropEngine(HGLOBAL indexBlock);

// ---- The index block -------------------------------------------------------------------------
inline IndexHeader* header(CatalogDescriptor* d) { return d->index; }
inline IndexEntry* entries(CatalogDescriptor* d)
{
    return reinterpret_cast<IndexEntry*>(reinterpret_cast<char*>(d->index) + kIndexHeaderSize);
}
inline int entryCount(CatalogDescriptor* d) { return d->index ? d->index->entries : 0; }
// Makes room for `count` entries (plus one); false when memory ran out.
bool reserveEntries(CatalogDescriptor* d, int count);
// Allocates and locks a fresh index block for `count` entries; false when memory ran out.
bool newIndexBlock(CatalogDescriptor* d, int count);
void freeIndexBlocks(CatalogDescriptor* d); // index, sequence (and their engine state)

// ---- The user sequence -----------------------------------------------------------------------
inline SequenceArray* sequence(CatalogDescriptor* d) { return static_cast<SequenceArray*>(d->sequence); }
bool reserveSequence(CatalogDescriptor* d, int count);
// Inserts (q, position) as the q-th pair (q below 0 counts as 0, beyond the end appends).
bool sequenceInsert(CatalogDescriptor* d, int q, int position);
void sequenceRemovePosition(CatalogDescriptor* d, int position);    // drops the pair naming it
void sequenceShift(CatalogDescriptor* d, int from, int to, int by); // positions in [from, to) move by `by`
void sequenceMove(CatalogDescriptor* d, int position, int q);       // the entry's pair becomes the q-th
void renumberSequence(CatalogDescriptor* d, int from);              // entries' sequence numbers follow their pairs
void buildSequence(CatalogDescriptor* d);                           // after a load: sort by stored numbers

// ---- The long-name index ---------------------------------------------------------------------
inline LongNameEntry* longNames(CatalogDescriptor* d) { return static_cast<LongNameEntry*>(d->longNames); }
const char* longNameText(CatalogDescriptor* d, uint32_t reference);
uint32_t storeLongName(CatalogDescriptor* d, const char* longName); // a heap copy; 0 when out of memory
void removeLongName(CatalogDescriptor* d, const char* shortName, uint32_t reference);
bool readLongNameFile(CatalogDescriptor* d);
bool writeLongNameFile(CatalogDescriptor* d);
void freeLongNames(CatalogDescriptor* d);

// ---- Index maintenance -----------------------------------------------------------------------
// Before the first change to the catalog file that the index file does not describe yet, the
// index file's header entry is marked (kIndexDirtyMarker); a complete flush clears it. An open
// that finds the mark recovers from the catalog file (the writer was killed).
constexpr uint32_t kIndexDirtyMarker = 0xFFFF0002;
bool markIndexDirty(CatalogDescriptor* d);
// The smallest free entry of at least `size` bytes (first of equal sizes), or -1.
int smallestFreeEntry(CatalogDescriptor* d, int64_t size);
// Removes the entry at `position` from the array (no sequence work).
void removeEntryAt(CatalogDescriptor* d, int position);
void insertEntryAt(CatalogDescriptor* d, int position, const IndexEntry& e); // room must exist

// ---- Records ---------------------------------------------------------------------------------
void releaseLock(CatalogDescriptor* d, bool showFailure);
// `n` bytes of the catalog file at `offset` through the view (mapped again when the file grew);
// null when they lie beyond the file or it cannot be mapped.
const uint8_t* viewOf(CatalogDescriptor* d, int64_t offset, size_t n);
void unmapCatalog(CatalogDescriptor* d);
int64_t freeDiskSpace(const char* path);
// A path on a network share or on a drive connected to one (record locks are taken only there).
bool onRemoteDrive(const char* path);

// ---- Keyword database and registry links (not present yet) ----------------------------------
// The catalog that the keyword database says holds this file; empty when unknown.
std::string keywordLinkCatalog(const uint8_t* record);
void keywordsRemove(CatalogDescriptor* d, const uint8_t* record, int32_t offset);
void keywordsAdd(CatalogDescriptor* d, const uint8_t* record, int32_t offset);
void keywordLinkUpdate(CatalogDescriptor* d, const uint8_t* record);
void keywordLinkDelete(CatalogDescriptor* d, const uint8_t* record);
// Fills a descriptor for a registered catalog name; false when not registered.
bool registryFindCatalog(const char* catalogName, CatalogDescriptor* d);

// ---- Verification ----------------------------------------------------------------------------
CatalogVerifyReport& verifyReport();

} // namespace kelcat
