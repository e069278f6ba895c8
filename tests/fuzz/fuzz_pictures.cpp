// libFuzzer target of the readers of pictures and of the files that carry
// them: the first byte chooses which one reads the rest, the picture
// container, the -lh5- decoder or the metafile pictures (EMF and WMF, text
// records included, drawn as the formula manager draws them). None may read or
// write out of bounds, loop for ever, abort or raise anything but the
// program's Exception.
#include "foundation/core/exceptions.h"
#include "platform/metafile.h"
#include "science/formulas/lh5.h"
#include "science/formulas/streams.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {

// The metafiles' text is drawn with the application's fonts.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_pictures";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

} // namespace

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
        } else if (data[0] & 2) {
            EnsureApplication();
            // Small pictures: the target must stay fast.
            (void)RenderMetafile(bytes, QSize(256, 256));
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
