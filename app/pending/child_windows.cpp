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

// Completed by thumbnail views: the address of the catalog descriptor the view shows.
CatalogDescriptor* thumbnailViewCatalog(HWND) { return nullptr; }

// Completed by thumbnail views from their records: hidden entries shown, and the read-only and
// sequence flags of the catalog shown.
void readThumbnailViewFacts(HWND, ChildFacts&) {}

} // namespace kelapp
