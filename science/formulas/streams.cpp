// The picture container's reader. Every size and count is checked against
// the bytes that are really there before anything is allocated, and a load
// builds a new list that replaces the old one only when it is whole.
#include "science/formulas/streams.h"

#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/format.h"
#include "science/formulas/cipher.h"

#include <QFileInfo>
#include <QtEndian>

#include <limits>

namespace {

const QString kBadFile = QStringLiteral("Archivo incorrecto");

struct Reader {
    const QByteArray& data;
    qsizetype pos = 0;
    qsizetype left() const { return data.size() - pos; }
    bool u16(quint16& v)
    {
        if (left() < 2)
            return false;
        const auto* p = reinterpret_cast<const uchar*>(data.constData() + pos);
        v = quint16(p[0] | p[1] << 8);
        pos += 2;
        return true;
    }
    bool i32(qint32& v)
    {
        if (left() < 4)
            return false;
        const auto* p = reinterpret_cast<const uchar*>(data.constData() + pos);
        v = qint32(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        pos += 4;
        return true;
    }
};

// The smallest entry: a 2-byte name length and a 4-byte size.
constexpr qsizetype kMinEntry = 6;

} // namespace

TGraphicKind GraphicKindOf(const QString& name)
{
    const QString ext = name.right(4).toLower();
    if (ext == QStringLiteral(".bmp"))
        return TGraphicKind::Bitmap;
    if (ext == QStringLiteral(".emf") || ext == QStringLiteral(".wmf"))
        return TGraphicKind::Metafile;
    return TGraphicKind::None;
}

const QByteArray& TStreams::Signature()
{
    static const QByteArray s("\x4D\x5A\xFE\x00\x21\x0B\x0F\x80", 8);
    return s;
}

TStreams::~TStreams() = default;

void TStreams::fail()
{
    if (OnError)
        OnError(*this);
    throw Exception(kBadFile);
}

void TStreams::clear()
{
    m_names.clear();
    m_data.clear();
    m_where.clear();
    m_file.reset();
}

void TStreams::LoadFromFile(const QString& fileName)
{
    const auto cannotOpen = [&fileName] {
        return EInOutError(Format(QStringLiteral("No se puede abrir el archivo \"%s\""), {fileName}));
    };
    if (LazyLoad) {
        // Only a regular file: a FIFO or a device would block the window.
        if (!QFileInfo(fileName).isFile())
            throw cannotOpen();
        auto file = std::make_unique<QFile>(fileName);
        if (!file->open(QIODevice::ReadOnly))
            throw cannotOpen();
        loadDirectory(*file);
        m_file = std::move(file);
    } else {
        // No container is larger than what it may decode to.
        QByteArray bytes;
        if (!ReadWholeFile(fileName, bytes, kMaxDecodedSize))
            throw cannotOpen();
        LoadFromStream(bytes);
    }
    FileName = fileName;
}

void TStreams::loadDirectory(QFile& file)
{
    // Only a plain container: the flags and the signature are skipped.
    const qint64 size = file.size();
    QStringList names;
    std::vector<TPunta> where;
    auto readExact = [&](void* into, qint64 n) { return file.read(static_cast<char*>(into), n) == n; };
    qint32 count = 0;
    if (!file.seek(10) || !readExact(&count, 4))
        fail();
    count = qFromLittleEndian(count);
    if (count < 0 || (size - 14) / kMinEntry < count)
        fail();
    for (qint32 k = 0; k < count; ++k) {
        quint16 len = 0;
        if (!readExact(&len, 2))
            fail();
        len = qFromLittleEndian(len);
        QByteArray name(len, Qt::Uninitialized);
        qint32 dataSize = 0;
        if ((len && !readExact(name.data(), len)) || !readExact(&dataSize, 4))
            fail();
        dataSize = qFromLittleEndian(dataSize);
        const qint64 at = file.pos();
        if (dataSize < 0 || dataSize > size - at || at > std::numeric_limits<qint32>::max())
            fail();
        names.append(cp1252::decode(name));
        where.push_back({qint32(at), dataSize});
        if (!file.seek(at + dataSize))
            fail();
    }
    clear();
    m_names = names;
    m_where = std::move(where);
}

void TStreams::LoadFromStream(const QByteArray& bytes)
{
    QString key = Password;
    if (bytes.size() < 2)
        fail();
    const char compressionFlag = bytes[0];
    const char cipherFlag = bytes[1];
    QByteArray a = bytes.mid(2);
    if (cipherFlag == '*') {
        if (OnGetPassword)
            OnGetPassword(*this, key);
        try {
            DecryptStream(a, key);
        } catch (const std::exception&) {
            fail();
        }
    }
    QByteArray b;
    if (compressionFlag == '&') {
        try {
            b = DecompressBytes(a);
        } catch (const std::exception&) {
            fail();
        }
    } else {
        b = std::move(a);
    }
    if (!b.startsWith(Signature()))
        fail();
    Reader r{b, Signature().size()};
    qint32 count = 0;
    if (!r.i32(count) || count < 0 || r.left() / kMinEntry < count)
        fail();
    QStringList names;
    std::vector<QByteArray> data;
    data.reserve(size_t(count));
    for (qint32 k = 0; k < count; ++k) {
        quint16 len = 0;
        if (!r.u16(len) || r.left() < len)
            fail();
        const QString name = cp1252::decode(b.mid(r.pos, len));
        r.pos += len;
        qint32 size = 0;
        if (!r.i32(size) || size < 0 || r.left() < size)
            fail();
        data.push_back(b.mid(r.pos, size));
        r.pos += size;
        names.append(name);
    }
    clear();
    m_names = names;
    m_data = std::move(data);
    Password = key;
    Compressed = compressionFlag == '&';
    Encrypted = cipherFlag == '*';
}

int TStreams::indexOf(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TStreams::GetStream(const QString& name, TMemoryStream& destination)
{
    if (name.isEmpty())
        return;
    const int i = indexOf(name);
    if (i >= 0) {
        if (m_file && size_t(i) < m_where.size()) {
            const TPunta p = m_where[size_t(i)];
            if (p.Size > 0 && m_file->seek(p.Offset))
                destination.Data = m_file->read(p.Size);
            else
                destination.Data.clear();
        } else if (size_t(i) < m_data.size()) {
            destination.Data = m_data[size_t(i)];
        }
    }
    destination.Position = 0;
}

QByteArray TStreams::GetBitmapBytes(const QString& name)
{
    TMemoryStream s;
    GetStream(UsePrefixes ? QStringLiteral("B:") + name : name, s);
    return s.Data;
}

QByteArray TStreams::GetMetafileBytes(const QString& name)
{
    TMemoryStream s;
    GetStream(UsePrefixes ? QStringLiteral("M:") + name : name, s);
    return s.Data;
}

QByteArray TStreams::GetGraphicBytes(const QString& name, TGraphicKind& kind)
{
    kind = GraphicKindOf(name);
    switch (kind) {
    case TGraphicKind::Bitmap: return GetBitmapBytes(name);
    case TGraphicKind::Metafile: return GetMetafileBytes(name);
    case TGraphicKind::None: break;
    }
    return {};
}
