#include "file_drops.h"

#include "ids_frame.h"
#include "shell_state.h"

#include <shellapi.h>

namespace kelapp {

bool isCatalogName(const std::string& name)
{
    if (name.size() < 3)
        return false;
    const char* last = name.c_str() + name.size() - 3;
    return !_stricmp(last, "CAT") || !_stricmp(last, "CIX") || !_stricmp(last, "IX1");
}

void handleDroppedFiles(HWND frame, HDROP drop)
{
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH] = "";
        if (!DragQueryFileA(drop, i, name, sizeof name))
            continue;
        if (IsIconic(frame))
            ShowWindow(frame, SW_RESTORE);
        SetFocus(frame);
        if (isCatalogName(name)) {
            SendMessageA(frame, WM_COMMAND, IDM_THUMBNAIL_VIEW, reinterpret_cast<LPARAM>(name));
        } else {
            lstrcpynA(shell().pendingFile, name, sizeof shell().pendingFile);
            SendMessageA(frame, WM_COMMAND, IDM_OPEN_PENDING, 0);
        }
    }
    DragFinish(drop);
}

} // namespace kelapp
