// Windows the program does not have yet: image windows (with the loader's worker thread),
// thumbnail views and the full-screen view. Their requests are recorded and answered with the
// "not available" status text.
#include "pending_libraries.h"

#include "menu_state.h"

#include "ids_frame.h"
#include "kel_messages.h"
#include "pending_requests.h"

namespace kelapp {

// Completed by the image loader: the request block (file, options, semaphore) handed to a
// worker thread that decodes the file and creates the image window.
void openImageFile(const char* path) { requestNotAvailable(IDM_OPEN_PENDING, path ? path : ""); }

// Completed by image windows: a new window titled `title` showing `dib` (which it then owns).
void openScannedImage(HGLOBAL dib, const char* title)
{
    requestNotAvailable(0, title ? title : "");
    GlobalFree(dib);
}

// Completed by thumbnail views: a view titled "Thumbnail View" of that catalog file, or of the
// current catalog.
void openThumbnailView(const char* catalogPath)
{
    requestNotAvailable(IDM_THUMBNAIL_VIEW, catalogPath ? catalogPath : "");
}

// Completed by the slide show's full-screen view.
void showFullScreen(HWND, LPARAM) { requestNotAvailable(0, "full screen"); }

// Completed by image windows: the record's display settings take the option, then a repaint.
void imageWindowOptionChanged(HWND, UINT) {}

// Completed by image windows: the target catalog field of the record.
void setImageTargetCatalog(HWND, HWND) {}

// Completed by image windows and thumbnail views from their records (busy count, animation,
// file, technical text, undo copies, depth, the view's catalog).
void readChildRecordFacts(HWND, ChildFacts&) {}

} // namespace kelapp
