// namex.dat layout: texts are found at 512 + their table entry.
#include "mhdata/NameTexts.h"

#include "base/ByteIo.h"

std::vector<u8> BuildNameTexts(const std::vector<std::string>& texts) {
    ByteWriter w;
    w.Zeros(512);
    u32 offset = static_cast<u32>(texts.size() * 4);
    for (const auto& t : texts) {
        w.U32(offset);
        offset += static_cast<u32>(t.size() + 2);
    }
    for (const auto& t : texts) {
        w.Bytes(t.data(), t.size());
        w.Bytes("%Q", 2);
    }
    return w.bytes();
}
