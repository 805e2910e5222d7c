#include "help_message.h"

#include "kelhlp.h"

namespace kelnet {

int errMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags, const char* helpFile,
               const char* caption, const char* text, const char* insert)
{
    return ErrMsgHelp(owner, instance, helpContext, flags, helpFile, caption, text, insert);
}

} // namespace kelnet
