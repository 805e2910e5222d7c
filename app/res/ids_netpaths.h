// String ids used by the volume and network path library.
#pragma once
#define IDS_ERROR_CAPTION 1027      // "Error"
#define IDS_NET_PATH_NOT_FOUND 1224 // "The network path '%s' cannot be located"
