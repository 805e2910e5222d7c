// String ids of the image core's transforms, filters and display helpers.
#pragma once
#define IDS_WARNING_CAPTION 1015      // "Warning!"
#define IDS_ROTATING_BITMAP 1136      // "Rotating bitmap"
#define IDS_PASTING_BITMAP 1138       // "Pasting bitmap"
#define IDS_CONVERTING_TO_RLE 1214    // "Converting to RLE format"
#define IDS_RLE_NOT_SMALLER 1215      // "The file would be smaller if RLE wasn't used!"
#define HELP_RLE_NOT_SMALLER 5117     // help context of that warning
