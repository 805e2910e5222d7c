// The LZW coder: code sequences decoded as the format defines them, the coder's own streams read
// back over every code width and table reset, and damaged streams stopped cleanly.
#include "gif_lzw.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Bytes fed to the decoder; past the end it reads 0, as the file reader does.
class Bytes : public gif::ByteSource {
public:
    explicit Bytes(std::vector<uint8_t> b) : b_(std::move(b)) {}
    uint8_t next() override { return pos_ < b_.size() ? b_[pos_++] : 0; }
    size_t pos() const { return pos_; }

private:
    std::vector<uint8_t> b_;
    size_t pos_ = 0;
};

// Codes of the given widths packed least-significant bit first into one sub-block.
std::vector<uint8_t> pack(const std::vector<std::pair<int, int>>& codes)
{
    std::vector<uint8_t> data;
    uint32_t bits = 0, count = 0;
    for (auto [code, width] : codes) {
        bits |= uint32_t(code) << count;
        count += uint32_t(width);
        while (count >= 8) {
            data.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        data.push_back(uint8_t(bits));
    data.insert(data.begin(), uint8_t(data.size()));
    data.push_back(0);
    return data;
}

std::vector<uint8_t> encode(int minCodeSize, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> out;
    gif::LzwEncoder lzw(minCodeSize, [&out](const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); });
    lzw.put(pixels.data(), pixels.size());
    lzw.finish();
    return out;
}

std::vector<uint8_t> decodeAll(int minCodeSize, const std::vector<uint8_t>& stream, size_t n,
                               gif::LzwDecoder::Status* status = nullptr)
{
    Bytes in(stream);
    gif::LzwDecoder lzw(in, minCodeSize);
    std::vector<uint8_t> out(n);
    out.resize(lzw.read(out.data(), n));
    if (status)
        *status = lzw.status();
    return out;
}

} // namespace

TEST(GifLzw, ClearFiveSixEndWithMinimumCodeSizeFourGivesFiveSix)
{
    const std::vector<uint8_t> stream = pack({{16, 5}, {5, 5}, {6, 5}, {17, 5}});
    gif::LzwDecoder::Status status;
    EXPECT_EQ(decodeAll(4, stream, 10, &status), (std::vector<uint8_t>{5, 6}));
    EXPECT_EQ(status, gif::LzwDecoder::Status::End);
}

// The code not yet in the table (KwKwK), and a width change at the table's first limit.
TEST(GifLzw, CodeNotYetInTheTableAndWidening)
{
    // Minimum size 2: clear 4, end 5, first free 6, codes 3 bits wide until free reaches 8.
    // 1 -> "1"; 6 (= free) -> "11", adds 6 = "11"; 6 -> "11", adds 7 = "111"; then 4 bits.
    const std::vector<uint8_t> stream = pack({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {7, 4}, {5, 4}});
    EXPECT_EQ(decodeAll(2, stream, 20), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(GifLzw, EncodedStreamsDecodeToTheSamePixels)
{
    struct Case {
        const char* what;
        int minCodeSize;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {"noise at 8 bits (many table resets)", 8, {}},
        {"noise at 4 bits", 4, {}},
        {"noise at 2 bits", 2, {}},
        {"one value (strings of thousands)", 8, std::vector<uint8_t>(200000, 7)},
        {"one pixel", 2, {1}},
    };
    uint32_t seed = 12345;
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 150000; ++i) {
            seed = seed * 1103515245 + 12345;
            // Runs of a few values so that strings and resets both happen.
            cases[c].pixels.push_back(uint8_t((seed >> 16) % (1u << cases[c].minCodeSize) & (i % 7 ? 3 : 0xFF)));
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> stream = encode(c.minCodeSize, c.pixels);
        gif::LzwDecoder::Status status;
        const std::vector<uint8_t> back = decodeAll(c.minCodeSize, stream, c.pixels.size() + 1, &status);
        ASSERT_EQ(back.size(), c.pixels.size());
        EXPECT_EQ(back, c.pixels);
        EXPECT_EQ(status, gif::LzwDecoder::Status::End);
        // Sub-blocks of 254 data bytes, the last shorter, then the terminator.
        size_t at = 0;
        while (stream[at] != 0) {
            const size_t n = stream[at];
            at += n + 1;
            EXPECT_TRUE(n == 254 || stream[at] == 0) << "sub-block of " << n << " bytes before the last";
        }
        EXPECT_EQ(at + 1, stream.size());
    }
}

TEST(GifLzw, DamagedStreamsStopCleanly)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> stream;
        size_t produced;
        gif::LzwDecoder::Status status;
    } cases[] = {
        // Minimum size 2: 7 is beyond the next free code (6) after one literal.
        {"a code beyond the next free one", pack({{4, 3}, {1, 3}, {7, 3}}), 1, gif::LzwDecoder::Status::InvalidCode},
        {"a first code that is no pixel", pack({{4, 3}, {6, 3}}), 0, gif::LzwDecoder::Status::InvalidCode},
        {"data that ends without an end code", {1, 0x0C}, 1, gif::LzwDecoder::Status::End},
        {"no data at all", {}, 0, gif::LzwDecoder::Status::End},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gif::LzwDecoder::Status status;
        EXPECT_EQ(decodeAll(2, c.stream, 100, &status).size(), c.produced);
        EXPECT_EQ(status, c.status);
    }
    gif::LzwDecoder::Status status;
    EXPECT_TRUE(decodeAll(9, pack({{512, 10}}), 10, &status).empty()) << "minimum code size 9";
    EXPECT_EQ(status, gif::LzwDecoder::Status::InvalidCode);
}

// After the pixels it needs the reader skips what is left up to the terminator, wherever it is.
TEST(GifLzw, SkipRestStopsAfterTheTerminator)
{
    std::vector<uint8_t> stream = encode(8, std::vector<uint8_t>(5000, 3));
    stream.push_back(0x3B);
    Bytes in(stream);
    gif::LzwDecoder lzw(in, 8);
    uint8_t few[10];
    EXPECT_EQ(lzw.read(few, sizeof few), sizeof few);
    lzw.skipRest();
    EXPECT_EQ(in.next(), 0x3B);
}
