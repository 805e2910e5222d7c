// Image printing, not built yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by image printing: the default printer and its print options.
void setDefaultPrinter() {}

} // namespace kelapp
