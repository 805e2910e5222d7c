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
// An image window takes a changed display option of the frame (centre, stretch, DIB to screen,
// background colour) and repaints.
void imageWindowOptionChanged(HWND child, UINT command);
// "Catalog..." of an image window: its record's target catalog becomes that of the open
// thumbnail view `view` (null: the current catalog).
void setImageTargetCatalog(HWND child, HWND view);
// What the menu state needs from an image window's record beyond its kind (busy, animation,
// file, technical text, undo copies, depth, its catalog): left as "not there" until image
// windows and thumbnail views fill it.
struct ChildFacts;
void readChildRecordFacts(HWND child, ChildFacts& facts);

} // namespace kelapp
