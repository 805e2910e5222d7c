// In-memory catalog structures shared by the catalog engine, the commands library and the
// application (the application's current catalog lives inside AppState).
//
// IndexEntry and IndexHeader keep the 2-byte packing of the 32-bit program that defined them:
// the index block is a header of 38 bytes followed directly by 32-byte entries. On disk the
// entries are never written by casting; catalog_format.h serialises them field by field.
#pragma once

#include <windows.h>

#include <cstdint>

#pragma pack(push, 2)

struct IndexEntry {
    char name[13];     // short name; 12 spaces for a free record; all zero in the header entry
    uint8_t flags;     // kIndexHeaderFlag, kIndexPasswordFlag or the kEntry* bits
    int32_t offset;    // record position in the catalog file
    int32_t allocated; // bytes reserved at that position
    int32_t used;      // bytes of the record in use
    int16_t sequence;  // position in the user sequence; in the header entry, the entries that follow
    // In memory: the engine's reference to the entry's long name (0 = none). The 32-bit program
    // kept a pointer here; a 32-bit reference keeps the block layout on 64-bit Windows too.
    // On disk: 0, or kIndexHeaderMarker in the header entry.
    uint32_t longName;
};

struct IndexHeader {
    int32_t headerSize; // always 38
    int32_t firstChanged;
    int32_t activeEntries;
    int32_t entries;
    int32_t shownEntries;
    int32_t currentPosition;
    int32_t markedEntries;
    int16_t highestSequence;
    int32_t allocatedBytes;
    int32_t activeBytes;
};

// The catalog descriptor: one per catalog in use (the current one is embedded in AppState).
struct CatalogDescriptor {
    HANDLE mutex;
    IndexEntry current;
    OFSTRUCT catOpen;
    OFSTRUCT cixOpen;
    char catPath[260];
    char cixPath[260];
    char caxPath[260];
    char catDir[255];
    char catName[32];
    char volumeLabel[255];
    char buildDir[255];
    char moveDir[255];
    char linkDbf[260];
    char linkIdx[260];
    // File handles: -1 when closed. Pointer-sized so that a 64-bit HANDLE fits; 32 bits on i686.
    intptr_t hCat;
    intptr_t hCix;
    intptr_t hCax;
    HGLOBAL indexBlock;
    HGLOBAL sequenceBlock;
    HGLOBAL longNameBlock;
    int16_t catalogNumber;
    int32_t openCount;
    uint16_t indexDate;
    uint16_t indexTime;
    int32_t accessMode;
    uint16_t shareMode;
    int32_t longNameCount;
    int32_t lockOffset;
    int32_t lockLength;
    int32_t alphabetical;
    int32_t readOnly;
    char extensions[256];
    char password[10];
    int32_t hasPassword;
    int32_t modified;
    int32_t headerSeen;
    int32_t headerOffset;
    int32_t openCancelled;
    IndexHeader* index;
    void* sequence;
    void* longNames;
};

#pragma pack(pop)

// Index entry flags byte.
constexpr uint8_t kIndexHeaderFlag = 0xFE;   // the header entry
constexpr uint8_t kIndexPasswordFlag = 0xFF; // legacy password entry (read only)
constexpr uint8_t kEntryHidden = 0x01;       // excluded by the current search
constexpr uint8_t kEntryMarked = 0x02;       // marked by the user
constexpr uint8_t kEntryNew = 0x04;          // added for a new image
constexpr uint8_t kEntryMarkedAux = 0x08;    // cleared with kEntryMarked when a view unmarks
constexpr uint32_t kIndexHeaderMarker = 0xFFFF0001;
constexpr int32_t kIndexHeaderSize = 38;

static_assert(sizeof(IndexEntry) == 32, "index entries are 32 bytes in memory and on disk");
static_assert(sizeof(IndexHeader) == 38, "the index block's header is 38 bytes");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CatalogDescriptor) == 3018, "32-bit catalog descriptor layout");
#endif
