#pragma once
// Decoding of -lh5- data (LZSS with an 8 KB window and static Huffman codes
// of literals, match lengths and positions) for the picture container. The
// source holds, from its position, the decoded size (32-bit little-endian,
// signed) and then the bare bit stream, without the archive's header.
#include "foundation/core/exceptions.h"

#include <QByteArray>

// A memory stream: its bytes and a read position.
struct TMemoryStream {
    QByteArray Data;
    qsizetype Position = 0;
};

// The largest decoded size a stream may announce (64 MiB); more is refused as
// corrupt, so that a few bytes cannot ask for gigabytes.
inline constexpr qint32 kMaxDecodedSize = 64 * 1024 * 1024;
// Nor may a stream announce more than kMaxRatio bytes for each byte of its own,
// beyond kFreeDecodedSize (a real archiver packs runs of one byte at about a
// thousand to one): eight bytes cannot ask for tens of megabytes.
inline constexpr qint64 kMaxRatio = 4096;
inline constexpr qint64 kFreeDecodedSize = 64 * 1024;

// Reads Source from its position to its end and appends the decoded bytes to
// Destination. Invalid code tables, lengths, runs or distances, and sizes
// above kMaxDecodedSize or out of proportion to the stream, raise Exception("Compressed file is corrupt"); the
// destination then keeps what it held before the call. Data that end early
// decode as if followed by zero bits.
void DecompressStream(TMemoryStream& source, TMemoryStream& destination);
// The same over a byte array from offset 0: the decoded bytes.
QByteArray DecompressBytes(const QByteArray& source);
