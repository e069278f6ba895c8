#pragma once
// TStreams: a read-only container of named binary entries kept in one file
// (the formula pictures of form.img). The file starts with two flag bytes:
// "&" when the payload is compressed (-lh5-, lh5.h), "*" when it is
// enciphered (Blowfish, cipher.h); the payload is the 8-byte signature, the
// entry count (signed 32-bit) and the entries (name length 16-bit, the name,
// data size signed 32-bit, the data), all little-endian. Names compare
// without letter case. Every failure to load is "Archivo incorrecto"; the
// entries held before stay unless a load succeeds.
#include "foundation/core/exceptions.h"
#include "science/formulas/lh5.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The kind of picture an entry's name gives by its extension.
enum class TGraphicKind { None, Bitmap, Metafile };
TGraphicKind GraphicKindOf(const QString& name);

// An entry of a lazily read container: where its data are in the file.
struct TPunta {
    qint32 Offset = 0;
    qint32 Size = 0;
};

class TStreams {
public:
    static const QByteArray& Signature();

    TStreams() = default;
    ~TStreams();
    TStreams(const TStreams&) = delete;
    TStreams& operator=(const TStreams&) = delete;

    // Reads the whole container (or, with LazyLoad, only the directory of a
    // plain one, keeping the file open). A file that cannot be opened raises
    // EInOutError with the platform's message; anything else wrong,
    // "Archivo incorrecto" (after OnError).
    void LoadFromFile(const QString& fileName);
    // Reads a whole container from its bytes.
    void LoadFromStream(const QByteArray& bytes);

    // The named entry's bytes into Destination, its position then 0. An
    // unknown name leaves the content as it was (the position still 0); an
    // empty name does nothing.
    void GetStream(const QString& name, TMemoryStream& destination);
    // The entry's bytes: ("B:" / "M:" + name with prefixes on); empty when
    // there is none.
    QByteArray GetBitmapBytes(const QString& name);
    QByteArray GetMetafileBytes(const QString& name);
    // By the name's extension: the bytes and the kind, or TGraphicKind::None.
    QByteArray GetGraphicBytes(const QString& name, TGraphicKind& kind);

    int Count() const { return int(m_names.size()); }
    const QStringList& Names() const { return m_names; }
    bool Contains(const QString& name) const { return indexOf(name) >= 0; }

    bool Compressed = true;
    bool Encrypted = false;
    QString Password;
    // Asked for the key when the payload is enciphered (may change it).
    std::function<void(TStreams& sender, QString& password)> OnGetPassword;
    // Called before a failed load is raised.
    std::function<void(TStreams& sender)> OnError;
    bool UsePrefixes = false;
    bool LazyLoad = false;
    QString FileName;

private:
    [[noreturn]] void fail();
    int indexOf(const QString& name) const;
    void loadDirectory(QFile& file);
    void clear();

    QStringList m_names;
    std::vector<QByteArray> m_data;        // full mode
    std::vector<TPunta> m_where;           // lazy mode
    std::unique_ptr<QFile> m_file;         // lazy mode: the open container
};
