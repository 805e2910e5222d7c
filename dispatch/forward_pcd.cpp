// Forwarders of the Photo CD library, and the profile write of the first Photo CD read.
#include "kelcmd.h"
#include "kelint.h"
#include "library_table.h"

#include <cstdio>

using namespace kelint;

namespace {

// The Photo CD resolution and palette format the user read with first are remembered as the
// defaults of the Photo CD options.
void rememberPhotoCdOptions(KelArg resolution, KelArg format)
{
    AppState* a = app();
    if (!a || a->photoCD)
        return;
    a->photoCD = 1;
    char text[16];
    std::snprintf(text, sizeof text, "%d", int(int16_t(resolution)));
    MyWritePrivateProfileString(a->appName, "PCD Resolution", text, a->profilePath);
    std::snprintf(text, sizeof text, "%d", int(int16_t(format)));
    MyWritePrivateProfileString(a->appName, "PCD Format", text, a->profilePath);
}

// The lookup entries of the Photo CD library stay quiet when it is missing.
template <typename R, typename... A> R quietPcd(size_t index, A... args)
{
    Library& lib = library(Lib::Pcd);
    if (!ensureLoaded(lib, false))
        return R();
    auto fn = entry<R (*)(A...)>(lib, index);
    return fn ? fn(args...) : R();
}

} // namespace

HGLOBAL ReadPCDBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7, KelArg a8)
{
    return forward<HGLOBAL>(Lib::Pcd, entryOf(kPcdEntries, "ReadPCDBitmapInfo"), a1, a2, a3, a4, a5, a6, a7, a8);
}
HGLOBAL OpenPCD(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg resolution, KelArg format,
                KelArg a9)
{
    rememberPhotoCdOptions(resolution, format);
    return forward<HGLOBAL>(Lib::Pcd, entryOf(kPcdEntries, "OpenPCD"), a1, a2, a3, a4, a5, a6, resolution, format, a9);
}
KelArg CheckPCDName(KelArg a1, KelArg a2) { return quietPcd<KelArg>(entryOf(kPcdEntries, "CheckPCDName"), a1, a2); }
KelArg GetPCDSize(KelArg a1, KelArg a2) { return quietPcd<KelArg>(entryOf(kPcdEntries, "GetPCDSize"), a1, a2); }
KelArg ConvertBoundingRect(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5)
{
    return quietPcd<KelArg>(entryOf(kPcdEntries, "ConvertBoundingRect"), a1, a2, a3, a4, a5);
}
KelArg PCDSelectAltLut(KelArg a1, KelArg a2, KelArg a3)
{
    return quietPcd<KelArg>(entryOf(kPcdEntries, "PCDSelectAltLut"), a1, a2, a3);
}
KelArg DoPCDsetLut(KelArg a1) { return quietPcd<KelArg>(entryOf(kPcdEntries, "DoPCDsetLut"), a1); }
