// Long-name file items (layout in long_names.h).
#include "long_names.h"

#include "bytes.h"

#include <algorithm>

namespace catfmt {

std::vector<LongNameItem> decodeLongNameFile(const uint8_t* data, size_t size)
{
    std::vector<LongNameItem> items;
    kel::ByteReader in(data, size);
    while (in.remaining() >= kLongNameHead) {
        const uint16_t bytes = in.u16();
        const uint8_t* shortName = in.take(14);
        if (bytes > kMaxLongNameBytes)
            break;
        const uint8_t* name = in.take(bytes);
        if (!in.ok())
            break;
        if (bytes == 0)
            continue;
        items.push_back({std::string(reinterpret_cast<const char*>(shortName), kel::fieldLength(shortName, 14)),
                         std::string(reinterpret_cast<const char*>(name), kel::fieldLength(name, bytes))});
    }
    return items;
}

void encodeLongNameItem(const LongNameItem& item, std::vector<uint8_t>* out)
{
    const size_t length = std::min<size_t>(item.longName.size(), kMaxLongNameBytes - 1);
    const uint16_t bytes = uint16_t((length + 2) & ~size_t(1));
    const size_t at = out->size();
    out->resize(at + kLongNameHead + bytes, 0);
    uint8_t* p = out->data() + at;
    kel::putU16(p, bytes);
    kel::putField(p + 2, 14, item.shortName.c_str());
    std::copy_n(item.longName.data(), length, p + kLongNameHead);
}

} // namespace catfmt
