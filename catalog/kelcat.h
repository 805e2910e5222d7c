// KELCAT32, the catalog engine: every access to a catalog's three files (".CAT" records, ".CIX"
// index, ".CAX" long names). Plain exported functions (see kelcat32.def). A caller fills a
// zero-initialised CatalogDescriptor (catalog path, name, volume label, password), opens it,
// looks records up, reads, writes and deletes them, and closes it; between open and close the
// calling thread owns the catalog's named mutex.
//
// Record handles are movable blocks holding a record's fixed part, description tail and long
// name (no thumbnail); the caller frees them. Positions are 0-based index positions.
#pragma once

#include "app_state.h"
#include "catalog_types.h"

#include <windows.h>

#include <cstdint>

#ifdef __cplusplus
#define KELCAT_API extern "C"
#else
#define KELCAT_API
#endif

// Access modes of OpenCatalog, and its share modes (used on remote drives only).
enum {
    CAT_READ = 0,
    CAT_WRITE = 1,
    CAT_READWRITE = 2,
    CAT_SHARE_EXCLUSIVE = 0x10,
    CAT_SHARE_DENY_WRITE = 0x20,
    CAT_SHARE_DENY_READ = 0x30,
    CAT_SHARE_DENY_NONE = 0x40,
};

// One item of the long-name index (18 bytes, as in the 32-bit layout): a reference into the
// engine's long-name heap (see GetLongName; 0 = none) and the short name it belongs to.
#pragma pack(push, 2)
struct LongNameEntry {
    uint32_t longName;
    char shortName[14];
};
#pragma pack(pop)
static_assert(sizeof(LongNameEntry) == 18, "long-name index items are 18 bytes");

// The user sequence: pair k names the index position of the entry that stands k-th. The 32-bit
// program kept 16-bit counts and positions, which overflow past 32767 entries; the block keeps
// them 32 bits wide.
struct SequencePair {
    int32_t oldNumber;
    int32_t position;
};
struct SequenceArray {
    int32_t count;
    SequencePair pairs[1];
};

// The no-password marker and the bypass token of OpenCatalog's password rules.
#define CAT_NO_PASSWORD "qqqqqqqq"
#define CAT_BYPASS_PASSWORD "qqqqqqqqq"

// ---- Operations -----------------------------------------------------------------------------
KELCAT_API AppState* InitCatDll(AppState* app);
// 0 failed; 1 opened (or already open, or the cached index still current); 2 reopened with the
// cached index brought up to date from the index file.
KELCAT_API int OpenCatalog(CatalogDescriptor* d, int accessMode, int shareMode);
KELCAT_API int CloseCatalog(CatalogDescriptor* d, HGLOBAL record, int final);
KELCAT_API HGLOBAL LookupCatalog(CatalogDescriptor* d, const char* name, int lock);
KELCAT_API HGLOBAL ReadCatalog(HANDLE catalogFile);
// The thumbnail of the record last looked up (the file is at that record's thumbnail when it is
// read: LookupCatalog may leave the moving of the file pointer to ReadCatDib).
KELCAT_API HGLOBAL ReadCatDib(const void* fixedPart, HANDLE catalogFile);
KELCAT_API int WriteCatalog(CatalogDescriptor* d, HWND owner, HGLOBAL thumbnail, HGLOBAL record, int sequence,
                            const char* shortName, const char* longName);
KELCAT_API int FindCix(CatalogDescriptor* d, const char* shortName);
KELCAT_API int InsertCix(CatalogDescriptor* d, int position, const IndexEntry* entry, int updateSequence);
KELCAT_API int DeleteCix(CatalogDescriptor* d);
KELCAT_API int FlushCatIndex(CatalogDescriptor* d);
KELCAT_API int FindLongCix(CatalogDescriptor* d, const char* longName);
KELCAT_API int InsertLongCix(CatalogDescriptor* d, const char* shortName, const char* longName);
KELCAT_API char* GetLongShortName(CatalogDescriptor* d, int position);
KELCAT_API int ClearLocks(CatalogDescriptor* d);
KELCAT_API int IsItemCataloged(const char* shortName, const char* catalogName);

// ---- Utilities shared with the application ---------------------------------------------------
KELCAT_API IndexEntry* GetIndex(CatalogDescriptor* d, int position);
KELCAT_API IndexEntry* GetIndexX(void* indexBlock, int position);
KELCAT_API int CDDriveCheck(int drive);
// The long name an index entry's reference names (empty text when none), valid until the
// long-name index changes.
KELCAT_API const char* GetLongName(CatalogDescriptor* d, uint32_t reference);

// What the last verified load of this process found (the "Verify Catalog" option): records
// checked, entries dropped because their record did not match, fixed parts repaired, and
// fixed parts whose name and flags were rewritten from the entry.
struct CatalogVerifyReport {
    int32_t checked;
    int32_t dropped;
    int32_t repaired;
    int32_t rewritten;
};
KELCAT_API int GetCatalogVerifyReport(CatalogVerifyReport* report);
