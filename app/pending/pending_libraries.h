// Calls into libraries and windows the program does not have yet. Each function stands where the
// call belongs and says which library or window completes it; until then it does nothing (or
// records the request, see pending_requests.h), so that switching to the real call is a change
// of one function body.
#pragma once

#include "app_state.h"

#include <windows.h>

namespace kelapp {

// ---- KELCAT32, the catalog engine (pending_kelcat32.cpp) --------------------------------------
int initCatalogEngine(AppState* app); // InitCatDll

// ---- KELDBF32, the keyword database link (pending_keldbf32.cpp) -------------------------------
int initKeywordDatabase(AppState* app); // InitDbfDll: also names the browse dialog template
void endKeywordDatabase();              // EndDbfDll

// ---- KELCTL32, frame drawing and invisible windows (pending_kelctl32.cpp) ---------------------
void registerInvisibleClass(HINSTANCE instance); // RegisterInvisible: window class "KelInvisible"

// ---- KELCMD32, the file dialogs and the catalog registry (pending_kelcmd32.cpp) ---------------
void prepareFileDialogs(HINSTANCE instance); // InstanceInitApp
// Makes the catalog of the list entry `listKey` ("Catalog%d") current (FindCatalog into
// AppState::currentCatalog). False while the registry is not there.
bool makeCatalogCurrent(const char* listKey);
// Registers a catalog file (or finds it registered) and makes it current. False while the
// registry is not there: the caller then keeps whatever it would have let go of.
bool registerCatalogFile(const char* path);
void refreshCatalogList(); // Display_Cat_Combo: the toolbar's list of catalogs

// ---- OLE server of the program (pending_ole_server.cpp) --------------------------------------
void registerOleServer();                      // server class and the catalog file associations
bool startOleServer();                         // false: "Can't initialize OLE server"
void registerOleDocument(const char* path);    // embedding mode: the document named on the command line
void revokeOleServer();                        // document and server

// ---- TWAIN acquisition (pending_twain.cpp) ---------------------------------------------------
void registerTwainIdentity();
bool twainFilterMessage(MSG* msg); // true when the open source manager took the message
void closeTwain();                 // source and source manager

// ---- Image printing (pending_printing.cpp) ---------------------------------------------------
void setDefaultPrinter();

// ---- Toolbar and its catalog list (pending_toolbar.cpp) --------------------------------------
void createToolbar(HWND frame);
void syncToolbar();

// ---- Image windows, thumbnail views, full-screen views (pending_windows.cpp) -----------------
// Each records the request (pending_requests.h) until its window exists.
void openImageFile(const char* path);                     // command 173: load on a worker thread
void openScannedImage(HGLOBAL dib, const char* title);    // WMU_NEWIMAGE
void openThumbnailView(const char* catalogPath);          // command 135 (null: the current catalog)
void showFullScreen(HWND wnd, LPARAM record);             // WMU_FULLSCREEN
// The catalog descriptor a thumbnail view shows (from the view's record).
CatalogDescriptor* thumbnailViewCatalog(HWND view);
// What the menu state needs from a thumbnail view's record beyond its kind (hidden entries shown,
// its catalog's read-only and sequence flags): left as "not there" until thumbnail views fill it.
struct ChildFacts;
void readThumbnailViewFacts(HWND view, ChildFacts& facts);

} // namespace kelapp
