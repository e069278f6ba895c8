// libFuzzer target of the picture container's reader and of the -lh5-
// decoder: the first byte chooses which one reads the rest. Neither may read
// or write out of bounds, loop for ever or raise anything but the program's
// Exception.
#include "foundation/core/exceptions.h"
#include "science/formulas/lh5.h"
#include "science/formulas/streams.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        if (data[0] & 1) {
            TStreams s;
            s.Password = QStringLiteral("clave");
            s.LoadFromStream(bytes);
            for (const QString& name : s.Names()) {
                TMemoryStream m;
                s.GetStream(name, m);
            }
        } else {
            // Small sizes only: the decoder's output is bounded by the 4-byte
            // size, and the target must stay fast.
            QByteArray limited = bytes;
            if (limited.size() >= 4)
                limited[3] = 0, limited[2] = char(std::uint8_t(limited[2]) & 0x0F);
            (void)DecompressBytes(limited);
        }
    } catch (const Exception&) {
    }
    return 0;
}
