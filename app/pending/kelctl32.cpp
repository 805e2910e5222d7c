// Calls into KELCTL32, the frame drawing and invisible window library, not linked yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by KELCTL32 RegisterInvisible(instance) (window class "KelInvisible").
void registerInvisibleClass(HINSTANCE) {}

} // namespace kelapp
