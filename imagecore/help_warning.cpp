// Warnings that have a help topic go through the message dialog of the window helper library.
#include "imagecore_internal.h"
#include "keldll.h"
#include "kelhlp.h"

namespace keldll {

void showHelpWarning(DWORD helpContext, UINT captionId, UINT textId)
{
    AppState* state = app();
    if (!state)
        return;
    ErrMsgHelp(state->frameWnd, state->appInstance, helpContext, EMH_EXCLAMATION, state->helpFile,
               MAKEINTRESOURCEA(captionId), MAKEINTRESOURCEA(textId));
}

} // namespace keldll
