#pragma once
// Metafile pictures drawn into images: enhanced metafiles (EMF) through
// libemf2svg, classic metafiles (WMF, placeable or not) through libwmf's SVG
// device, the SVG of either drawn by QtSvg. The kind is told by the bytes, not
// by a file name, as a picture reader of metafiles does.
//
// The bytes are checked record by record before either library sees them: a
// file that is truncated, whose records overrun it or that has no end record
// gives an empty image, as does anything the library or QtSvg refuses.
// GUI thread only (QtSvg draws text through the application's fonts).
#include <QByteArray>
#include <QImage>
#include <QSize>

enum class MetafileKind { None, Emf, Wmf };

// The metafile kind the bytes begin with: an EMF header record, a placeable
// WMF header or a plain WMF header. None for anything else.
MetafileKind MetafileKindOf(const QByteArray& bytes);

// The largest picture drawn: beyond it the picture is shrunk, keeping its
// proportions, so that a metafile announcing a huge size costs no more memory.
inline constexpr QSize kMetafileMaxSize{2048, 2048};

// The metafile drawn at its own size on a transparent image, shrunk into
// `bound` (its proportions kept) when larger. An empty image for bytes that
// are no readable metafile, or when the library for its kind is missing.
QImage RenderMetafile(const QByteArray& bytes, QSize bound = kMetafileMaxSize);

// Whether this build reads the kind (its library was found).
bool MetafileKindSupported(MetafileKind kind);
