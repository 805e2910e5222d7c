// String ids of palettes, quantization and dithering in the image core library.
#pragma once
#define IDS_DITHERING_2_COLORS 1086       // "Dithering to 2 colors"
#define IDS_DITHERING_2_COLORS_FILE 1087  // "Dithering to 2 colors, file: %s"
#define IDS_CONVERTING_TO_PALETTE 1088    // "Converting to %d color palette"
#define IDS_DITHERING_TO_COLORS 1089      // "Dithering to %d colors %s"
