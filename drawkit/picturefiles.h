#pragma once
// The formula picture as the bytes of a picture file: an enhanced metafile
// (EMF), a placeable classic metafile (WMF), a 16-colour bitmap (BMP, 4 bits
// per pixel) or a progressive JPEG. Every format replays the same recorded
// picture the screen shows; the metafiles keep its text and strokes as
// records, the bitmaps are the picture drawn at its own size on white.
//
// A picture the format cannot hold (no extent, or too large for it) raises an
// Exception with a Spanish message; nothing is written anywhere here.

#include "engine/canvas.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

class FormulaPicture;

// The types of the export dialog, numbered as its filter lists them.
enum class PictureFileType { Emf = 1, Jpg = 2, Bmp = 3, Wmf = 4 };

// The file extension of a type, with its dot (".emf").
QString PictureFileExtension(PictureFileType type);

// The picture's file in the type's format.
QByteArray EncodePicture(const FormulaPicture& picture, PictureFileType type);

QByteArray PictureToEmf(const FormulaPicture& picture);
QByteArray PictureToWmf(const FormulaPicture& picture);
QByteArray PictureToBmp4(const FormulaPicture& picture);
QByteArray PictureToJpeg(const FormulaPicture& picture);

// The bitmap the bitmap formats start from: the picture at its own size on
// white. Raises for a picture without extent or one too large to hold.
QImage PictureBitmap(const FormulaPicture& picture);

// The image as a bottom-up BMP of 4 bits per pixel with the 16-colour standard
// palette, each pixel the nearest palette colour.
QByteArray ImageToBmp4(const QImage& image);
// The image as a baseline or progressive JPEG at the quality (1 to 100) through
// libjpeg; 96 pixels per inch.
QByteArray ImageToJpeg(const QImage& image, int quality, bool progressive);

// The 16 colours of the 4-bit palette, in palette order.
QList<QRgb> Bmp4Palette();

// JPEG settings of the export.
inline constexpr int kPictureJpegQuality = 80;
