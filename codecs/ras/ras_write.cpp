// Sun raster files are read only.
#include "kelras.h"

int WriteRAS(const char* /*path*/, HGLOBAL /*dib*/, int /*options*/) { return 0; }
