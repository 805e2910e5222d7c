/* Our reader of XPM files in the place of libXpm, which has no build for this platform. It
 * offers the libXpm reader entry and the records the codec uses, under libXpm's names and in
 * their shapes, so that the codec calls it as it would call libXpm:
 *   XpmReadFileToXpmImage  the file's image (size, colours, pixel indices) and information
 *   XpmFreeXpmImage, XpmFreeXpmInfo  release what the reader filled in.
 * Both XPM text forms are read: XPM3 (C source: a comment naming XPM, then quoted strings
 * between braces, comments allowed between them) and XPM2 (a first line "! XPM2", then one
 * string per line, lines starting with "!" being comments). The strings are the values line
 * (width, height, colour count, characters per pixel, optionally the hot spot and XPMEXT), one
 * line per colour (its characters, then keys c, m, g4, g and s each followed by a value of one
 * or more words), then one line per row of pixels; extensions after the pixels are passed over.
 * Any number of characters per pixel is read. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the reader. */
#define XpmSuccess 0
#define XpmOpenFailed (-1)
#define XpmFileInvalid (-2)
#define XpmNoMemory (-3)

/* What XpmInfo's valuemask says the file had. */
#define XpmHotspot (1UL << 4)
#define XpmExtensions (1UL << 10)

/* One colour: the characters standing for it in the pixels and the value of each key (null
 * when the file gives none). */
typedef struct {
    char* string;
    char* symbolic; /* s */
    char* m_color;  /* m: on monochrome displays */
    char* g4_color; /* g4: on four-level grey displays */
    char* g_color;  /* g: on grey displays */
    char* c_color;  /* c: on colour displays */
} XpmColor;

typedef struct {
    unsigned int width, height;
    unsigned int cpp;     /* characters per pixel */
    unsigned int ncolors; /* entries of colorTable */
    XpmColor* colorTable;
    unsigned int* data;   /* width x height colour indices, top row first */
} XpmImage;

typedef struct {
    unsigned long valuemask;
    unsigned int x_hotspot, y_hotspot;
    unsigned int nextensions;
} XpmInfo;

/* Reads the file into `image` and (when not null) `info`: XpmSuccess, or XpmOpenFailed,
 * XpmFileInvalid or XpmNoMemory with nothing left to free. */
int XpmReadFileToXpmImage(const char* filename, XpmImage* image, XpmInfo* info);
void XpmFreeXpmImage(XpmImage* image);
void XpmFreeXpmInfo(XpmInfo* info);

#ifdef __cplusplus
}
#endif
