// String ids used by the image core library.
#pragma once
#define IDS_NO_MEMORY 1017       // "Insufficient memory available"
#define IDS_CREATING_BITMAP 1084 // "Creating bitmap for display"
#define IDS_FORMAT_SPECS 1245    // "Format: %dx%dx%s %s"
