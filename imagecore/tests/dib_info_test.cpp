// DIB layout rules: colour counts, table sizes, pixel start, normalised headers, copies, blank images.
#include "keldll.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A header buffer with room for a colour table behind it.
struct HeaderBuf {
    alignas(4) unsigned char bytes[2048] = {};
    BITMAPINFOHEADER* info() { return reinterpret_cast<BITMAPINFOHEADER*>(bytes); }
};

HGLOBAL blockOf(const void* data, size_t size)
{
    HGLOBAL h = GlobalAlloc(GHND, size);
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    return h;
}

TEST(DibModel, ColourCountAndTableSizeFollowTheHeaderKind)
{
    struct Case {
        DWORD headerSize;
        WORD bits;
        DWORD coloursUsed;
        DWORD colours;
        WORD tableBytes;
    } cases[] = {
        // header, bits, colours used -> colour count, table bytes
        {40, 1, 0, 2, 8},
        {40, 4, 0, 16, 64},
        {40, 8, 0, 256, 1024},
        {40, 8, 5, 5, 20},
        {36, 8, 5, 256, 1024},          // the 36-byte header's colours-used is not consulted
        {40, 24, 0, 0, 0},
        {40, 24, 16777216, 16777216, 0}, // 16-bit table size: a 24-bit DIB from DibFromBitmap
        {40, 16, 0, 0, 0},
        {40, 32, 0, 0, 0},
    };
    for (const Case& c : cases) {
        HeaderBuf h;
        h.info()->biSize = c.headerSize;
        h.info()->biBitCount = c.bits;
        h.info()->biClrUsed = c.coloursUsed;
        EXPECT_EQ(c.colours, DIBNumColors(h.bytes)) << c.headerSize << "/" << c.bits << "/" << c.coloursUsed;
        EXPECT_EQ(c.tableBytes, PaletteSize(h.bytes)) << c.headerSize << "/" << c.bits << "/" << c.coloursUsed;
        EXPECT_EQ(h.bytes + c.headerSize + c.tableBytes, FindDIBBits(h.bytes));
    }
}

TEST(DibModel, CoreHeaderUsesThreeByteEntriesAndSixteenBitSizes)
{
    HeaderBuf h;
    *reinterpret_cast<BITMAPCOREHEADER*>(h.bytes) = BITMAPCOREHEADER{12, 100, 50, 1, 4};
    EXPECT_EQ(100u, DIBWidth(h.bytes));
    EXPECT_EQ(50u, DIBHeight(h.bytes));
    EXPECT_EQ(4, DIBBitcount(h.bytes));
    EXPECT_EQ(16u, DIBNumColors(h.bytes));
    EXPECT_EQ(48, PaletteSize(h.bytes));
    EXPECT_EQ(h.bytes + 12 + 48, FindDIBBits(h.bytes));
    EXPECT_EQ(0u, DIBWidth(nullptr));
    EXPECT_EQ(0u, DIBHeight(nullptr));
}

TEST(DibModel, InitBitmapInfoHeaderRoundsRequestedBits)
{
    struct {
        int requested, bits;
    } cases[] = {{0, 1}, {1, 1}, {2, 4}, {3, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 24}, {16, 24}, {32, 24}};
    for (auto c : cases) {
        BITMAPINFOHEADER bi;
        std::memset(&bi, 0xCC, sizeof bi);
        InitBitmapInfoHeader(&bi, 33, 7, c.requested);
        EXPECT_EQ(c.bits, bi.biBitCount) << c.requested;
        EXPECT_EQ(40u, bi.biSize);
        EXPECT_EQ(1, bi.biPlanes);
        EXPECT_EQ(0u, bi.biCompression);
        EXPECT_EQ(0u, bi.biClrUsed);
        EXPECT_EQ(DWORD(((33 * c.bits + 31) / 32) * 4 * 7), bi.biSizeImage) << c.requested;
    }
}

TEST(DibModel, DibInfoNormalisesEveryHeaderKind)
{
    BITMAPINFOHEADER bi;
    BITMAPCOREHEADER bc{12, 100, 50, 1, 4};
    kel::GlobalMem core(blockOf(&bc, sizeof bc));
    ASSERT_EQ(1, DibInfo(core.get(), &bi));
    EXPECT_EQ(40u, bi.biSize);
    EXPECT_EQ(100, bi.biWidth);
    EXPECT_EQ(50, bi.biHeight);
    EXPECT_EQ(2600u, bi.biSizeImage);
    EXPECT_EQ(16u, bi.biClrUsed);

    HeaderBuf h;
    h.info()->biSize = 36;
    h.info()->biWidth = 3;
    h.info()->biHeight = 2;
    h.info()->biBitCount = 8;
    kel::GlobalMem v36(blockOf(h.bytes, 40 + 1024));
    ASSERT_EQ(1, DibInfo(v36.get(), &bi));
    EXPECT_EQ(40u, bi.biSize);
    EXPECT_EQ(8u, bi.biSizeImage);
    EXPECT_EQ(256u, bi.biClrUsed);

    std::memset(&bi, 0xCC, sizeof bi);
    EXPECT_EQ(0, DibInfo(nullptr, &bi));
    EXPECT_EQ(0u, bi.biSize) << "the record is zeroed on failure";
}

TEST(DibModel, CopyBitmapInfoTakesHeaderAndTableOnly)
{
    HeaderBuf h;
    InitBitmapInfoHeader(h.info(), 4, 4, 8);
    h.info()->biClrUsed = 3;
    std::memset(h.bytes + 40, 0x5A, 12);
    kel::GlobalMem dib(blockOf(h.bytes, 40 + 12 + 16));
    kel::GlobalMem info(CopyBitmapInfo(dib.get()));
    ASSERT_TRUE(info);
    EXPECT_GE(GlobalSize(info.get()), 52u);
    kel::GlobalLocked<BYTE> p(info.get());
    EXPECT_EQ(0, std::memcmp(p.get(), h.bytes, 52));

    // 16777216 colours: the table is empty, the copy is the bare header (never the pixels).
    HeaderBuf t;
    InitBitmapInfoHeader(t.info(), 2, 2, 24);
    t.info()->biClrUsed = 16777216;
    kel::GlobalMem dib24(blockOf(t.bytes, 40 + 16));
    kel::GlobalMem info24(CopyBitmapInfo(dib24.get()));
    ASSERT_TRUE(info24);
    EXPECT_GE(GlobalSize(info24.get()), 40u);
    EXPECT_LT(GlobalSize(info24.get()), 40u + 16u);
}

TEST(DibModel, CopyDibPaletteInfoConvertsEntryForms)
{
    HeaderBuf core;
    auto* bc = reinterpret_cast<BITMAPCOREHEADER*>(core.bytes);
    *bc = BITMAPCOREHEADER{12, 1, 1, 1, 1};
    const unsigned char triples[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(core.bytes + 12, triples, 6);
    HeaderBuf info;
    InitBitmapInfoHeader(info.info(), 1, 1, 1);
    std::memset(info.bytes + 40, 0xEE, 8);
    CopyDIBPaletteInfo(core.bytes, info.bytes);
    const unsigned char quads[] = {1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(0, std::memcmp(info.bytes + 40, quads, 8));

    HeaderBuf back;
    *reinterpret_cast<BITMAPCOREHEADER*>(back.bytes) = BITMAPCOREHEADER{12, 1, 1, 1, 1};
    CopyDIBPaletteInfo(info.bytes, back.bytes);
    EXPECT_EQ(0, std::memcmp(back.bytes + 12, triples, 6));
}

TEST(DibModel, CopyHandleCopiesEveryByte)
{
    std::vector<unsigned char> data(333);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (unsigned char)(i * 7);
    kel::GlobalMem src(blockOf(data.data(), data.size()));
    kel::GlobalMem copy(CopyHandle(src.get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(src.get(), copy.get());
    EXPECT_EQ(GlobalSize(src.get()), GlobalSize(copy.get()));
    kel::GlobalLocked<BYTE> p(copy.get());
    EXPECT_EQ(0, std::memcmp(p.get(), data.data(), data.size()));
    EXPECT_EQ(nullptr, CopyHandle(nullptr));
}

HPALETTE paletteOf(std::initializer_list<COLORREF> colours)
{
    struct {
        WORD version, count;
        PALETTEENTRY pe[256];
    } lp{0x300, WORD(colours.size()), {}};
    int i = 0;
    for (COLORREF c : colours)
        lp.pe[i++] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
}

class CreateNewDibTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST_F(CreateNewDibTest, FillsPixelsWithTheBrushColourPerDepth)
{
    kel::GdiObject<HPALETTE> pal(paletteOf({RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                            RGB(10, 20, 30), RGB(255, 255, 255), RGB(9, 9, 9), RGB(1, 2, 3),
                                            RGB(4, 4, 4), RGB(5, 5, 5), RGB(6, 6, 6), RGB(7, 7, 7), RGB(8, 8, 8),
                                            RGB(11, 11, 11), RGB(12, 12, 12), RGB(13, 13, 13)}));
    kel::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(0, 250, 5))); // nearest: index 2

    kel::GlobalMem d4(CreateNewDib(nullptr, 5, 3, 4, pal.get(), brush.get()));
    ASSERT_TRUE(d4);
    {
        kel::GlobalLocked<BYTE> p(d4.get());
        auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(p.get());
        EXPECT_EQ(16u, bi->biClrUsed);
        EXPECT_EQ(16u, bi->biClrImportant);
        EXPECT_EQ(12u, bi->biSizeImage);
        const BYTE* bits = FindDIBBits(p.get());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(0x22, bits[4 * y + x]) << y << "," << x;
        const RGBQUAD* table = reinterpret_cast<RGBQUAD*>(p.get() + 40);
        EXPECT_EQ(255, table[1].rgbRed);
        EXPECT_EQ(0, table[1].rgbBlue);
    }

    kel::GlobalMem d1(CreateNewDib(nullptr, 9, 2, 1, pal.get(), brush.get()));
    ASSERT_TRUE(d1);
    {
        kel::GlobalLocked<BYTE> p(d1.get());
        EXPECT_EQ(2u, DIBNumColors(p.get()));
        const BYTE* bits = FindDIBBits(p.get());
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(0, bits[i]) << "1-bit images stay 0 whatever the brush";
    }

    kel::GlobalMem d24(CreateNewDib(nullptr, 2, 2, 24, pal.get(), brush.get()));
    ASSERT_TRUE(d24);
    {
        kel::GlobalLocked<BYTE> p(d24.get());
        EXPECT_EQ(16u, DIBNumColors(p.get())) << "the palette has fewer entries than 256";
        const BYTE* bits = FindDIBBits(p.get());
        const BYTE row[8] = {5, 250, 0, 5, 250, 0, 0, 0};
        EXPECT_EQ(0, std::memcmp(bits, row, 8));
        EXPECT_EQ(0, std::memcmp(bits + 8, row, 8));
    }
}

TEST_F(CreateNewDibTest, NullPaletteStillGivesAConsistentColourTable)
{
    kel::GlobalMem d(CreateNewDib(nullptr, 4, 4, 8, nullptr, nullptr));
    ASSERT_TRUE(d);
    kel::GlobalLocked<BYTE> p(d.get());
    const DWORD colours = DIBNumColors(p.get());
    EXPECT_GT(colours, 0u);
    // The pixels FindDIBBits points at lie inside the block.
    EXPECT_LE(SIZE_T(FindDIBBits(p.get()) - p.get()) + 16, GlobalSize(d.get()));
    EXPECT_EQ(40 + 4 * colours, DWORD(FindDIBBits(p.get()) - p.get()));
}

TEST_F(CreateNewDibTest, ImpossibleSizeShowsTheMemoryMessage)
{
    kt::DialogAnswerer answer(IDOK);
    EXPECT_EQ(nullptr, CreateNewDib(nullptr, 30000, 30000, 24, nullptr, nullptr));
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("Insufficient memory available\r\n", answer.shown()[0].text);
}

} // namespace
