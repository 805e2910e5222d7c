// The metafile picture record of a vector image: one zero-filled movable block per image, filled
// by the vector readers and owned by the image's ImageRecord (its metafile field).
//
// 32-bit layout (226 bytes, 2-byte packing; offsets are part of the interface because callers
// pass the address of the picture description to the image core's metafile routines):
//
//   off size field
//     0    4 reserved (0)
//     4    4 pixel width: width of the rendered picture in screen pixels
//     8    4 pixel height
//    12    4 file size of the source (readers that report progress)
//    16    4 bytes read so far (progress)
//    20    8 viewport extent x, y: target size when the metafile is played (normally the pixel size)
//    28    8 viewport origin x, y (normally 0)
//    36    4 reserved (0)
//    40    4 window origin x, y (16-bit signed each): origin of the picture in its own coordinates
//    44    4 window extent x, y (16-bit signed each)
//    48    4 picture extent x, y (16-bit unsigned each): size in the picture's own units
//    52   26 reserved (0)
//    78   16 picture description: the platform's METAFILEPICT (mapping mode, x extent, y extent,
//            metafile handle)
//    94    4 metafile handle (the same handle)
//    98  128 reserved (0)
//
// On 64-bit Windows the two handles widen; the field order and the 2-byte packing stay.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#pragma pack(push, 2)

struct MetafilePicture {
    uint32_t reserved0;
    int32_t pixelWidth;
    int32_t pixelHeight;
    uint32_t fileSize;
    uint32_t bytesRead;
    int32_t viewportExtX, viewportExtY;
    int32_t viewportOrgX, viewportOrgY;
    uint32_t reserved1;
    int16_t windowOrgX, windowOrgY;
    int16_t windowExtX, windowExtY;
    uint16_t pictureExtX, pictureExtY;
    uint8_t reserved2[26];
    METAFILEPICT picture;
    HMETAFILE metafile;
    uint8_t reserved3[128];
};

#pragma pack(pop)

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MetafilePicture) == 226, "32-bit metafile picture record layout");
static_assert(offsetof(MetafilePicture, picture) == 78, "picture description at 78");
static_assert(offsetof(MetafilePicture, metafile) == 94, "second metafile handle at 94");
#endif

namespace kel {

// The picture description of a record, copied out: on 64-bit Windows it lies at an offset that
// is not aligned for its handle, so it is read and written by copy rather than by reference.
inline METAFILEPICT pictureOf(const MetafilePicture& record)
{
    METAFILEPICT mfp;
    std::memcpy(&mfp, reinterpret_cast<const char*>(&record) + offsetof(MetafilePicture, picture), sizeof mfp);
    return mfp;
}

} // namespace kel
