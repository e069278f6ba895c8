#pragma once
// The export of a formula picture to a file (the main window's "Exportar",
// used by the fraction and complex-number windows too) and its copy to the
// clipboard.
//
// ExportPicture opens the save dialog "SaveDialog1" (types EMF, JPG, BMP,
// WMF; JPG preselected), gives the chosen name the chosen type's extension
// whatever was typed, asks before replacing a file of that final name (No:
// back to the dialog), writes the file whole or not at all and says in
// Spanish why a write failed.
#include "drawkit/picturefiles.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class FormulaPicture;
class QFileDialog;
class QMimeData;
class QWidget;

// What the save dialog answered: the name as typed (folder included) and the
// type of the filter chosen (1 EMF, 2 JPG, 3 BMP, 4 WMF).
struct PictureSaveChoice {
    QString FileName;
    int FilterIndex = int(PictureFileType::Jpg);
};

struct PictureExportState {
    // Stands in for the save dialog: called with the dialog's proposal, fills
    // in the answer, false for Cancel. Empty: the real dialog.
    std::function<bool(QWidget* parent, PictureSaveChoice& choice)> AskFileName;
    // The last file written: the next dialog opens on it.
    QString LastFileName;
    void reset() { *this = PictureExportState{}; }
};
PictureExportState& PictureExporting();

// The dialog's filters, as the dialog lists them ("JPG - JPEG (*.jpg)", ...).
QStringList PictureExportFilters();

// The name with its extension (after the last dot of the last path part)
// replaced by `extension` (".jpg"), or given it when it has none.
QString ReplaceFileExtension(const QString& fileName, const QString& extension);

// The save dialog, built and not shown, proposing `choice`.
std::unique_ptr<QFileDialog> BuildPictureSaveDialog(QWidget* parent, const PictureSaveChoice& choice);

// Writes the picture as a file of the type, replacing the file in one step.
// Raises EInOutError (the write failed: the message says why; no partial file
// is left and an old file stays as it was) or Exception (the picture cannot be
// held by the type).
void SavePictureFile(const FormulaPicture& picture, const QString& fileName, PictureFileType type);

// The whole export with its dialog and boxes; true when a file was written.
// A picture without extent exports nothing.
bool ExportPicture(const FormulaPicture& picture, QWidget* parent);

// The clipboard's data for a picture: the image (on white) and the enhanced
// metafile ("image/x-emf"); null for a picture without extent.
std::unique_ptr<QMimeData> PictureMimeData(const FormulaPicture& picture);
// Puts the picture on the clipboard; a picture without extent changes nothing.
void CopyPictureToClipboard(const FormulaPicture& picture);
