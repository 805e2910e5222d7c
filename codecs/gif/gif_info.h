// The header reading shared by the information and open entries.
#pragma once

#include <windows.h>

#include <cstdint>

namespace gif {

struct Screen {
    int64_t signatureAt = 0; // file offset of "GIF8"
    int64_t afterGlobalTable = 0;
    char signature[7] = "";
    bool gif89a = false;
    int width = 0, height = 0;
    bool globalTable = false;
    int globalColours = 0;
    uint8_t background = 0;
};

// ReadGIFBitmapInfo, also describing the screen to the open entry.
HGLOBAL readInfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo, HBRUSH* background, int warnings,
                 Screen* screen);

// The largest pixel array a file of this many bytes may honestly describe. A lone byte of LZW
// data never stands for more than a few thousand pixels, while a screen may be far larger than
// its images; both are capped by the system's limit on one image.
uint64_t maxImageBytes(uint64_t fileBytes);

} // namespace gif
