#include "services/pictureexport.h"

#include "drawkit/picturefiles.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <new>

namespace {

struct FilterEntry {
    const char* description;
    PictureFileType type;
};
// In the dialog's order: the filter index is the type's number.
constexpr FilterEntry kFilters[] = {
    {"EMF - Metarchivo mejorado", PictureFileType::Emf},
    {"JPG - JPEG", PictureFileType::Jpg},
    {"BMP - Bitmap (Paleta 4 bits)", PictureFileType::Bmp},
    {"WMF - Metarchivo", PictureFileType::Wmf},
};
constexpr int kFilterCount = int(std::size(kFilters));

PictureFileType typeOfFilter(int index)
{
    if (index < 1 || index > kFilterCount)
        return PictureFileType::Jpg;
    return kFilters[index - 1].type;
}

QString native(const QString& name) { return QDir::toNativeSeparators(name); }

// Why a write of the file could not be done, as far as the file system tells.
QString writeFailureReason(const QString& fileName)
{
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return Format(QStringLiteral("La carpeta \"%s\" no existe."), {native(folder.absoluteFilePath())});
    if (!folder.isDir())
        return Format(QStringLiteral("\"%s\" no es una carpeta."), {native(folder.absoluteFilePath())});
    if (file.isDir())
        return QStringLiteral("Ya hay una carpeta con ese nombre.");
    if (file.exists() && !file.isFile())
        return QStringLiteral("Ese nombre no es el de un archivo normal.");
    if (!folder.isWritable())
        return Format(QStringLiteral("No hay permiso para escribir en la carpeta \"%s\"."),
                      {native(folder.absoluteFilePath())});
    return QStringLiteral("Puede que el disco esté lleno o que el archivo esté en uso.");
}

bool runSaveDialog(QWidget* parent, PictureSaveChoice& choice)
{
    const std::unique_ptr<QFileDialog> dialog = BuildPictureSaveDialog(parent, choice);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return false;
    choice.FileName = files.front();
    const int index = int(PictureExportFilters().indexOf(dialog->selectedNameFilter()));
    choice.FilterIndex = index >= 0 ? index + 1 : int(PictureFileType::Jpg);
    return true;
}

bool askFileName(QWidget* parent, PictureSaveChoice& choice)
{
    const auto& ask = PictureExporting().AskFileName;
    return ask ? ask(parent, choice) : runSaveDialog(parent, choice);
}

bool hasExtent(const FormulaPicture& picture) { return picture.width() > 0 && picture.height() > 0; }

} // namespace

PictureExportState& PictureExporting()
{
    static PictureExportState state;
    return state;
}

QStringList PictureExportFilters()
{
    QStringList out;
    for (const FilterEntry& f : kFilters)
        out << QString::fromUtf8(f.description) + QStringLiteral(" (*") + PictureFileExtension(f.type) +
                   QLatin1Char(')');
    return out;
}

QString ReplaceFileExtension(const QString& fileName, const QString& extension)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? fileName.left(dot) : fileName;
    return stem + extension;
}

std::unique_ptr<QFileDialog> BuildPictureSaveDialog(QWidget* parent, const PictureSaveChoice& choice)
{
    auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("Guardar como"));
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    // Qt's own dialog, so that every text is the program's Spanish one. The
    // question before replacing a file is asked afterwards, for the name that
    // is really written.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setSizeGripEnabled(true);
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("Guardar en:"));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Guardar"));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    const QStringList filters = PictureExportFilters();
    dialog->setNameFilters(filters);
    const int index = choice.FilterIndex >= 1 && choice.FilterIndex <= kFilterCount ? choice.FilterIndex
                                                                                   : int(PictureFileType::Jpg);
    dialog->selectNameFilter(filters[index - 1]);
    if (!choice.FileName.isEmpty()) {
        const QFileInfo proposal(choice.FileName);
        if (QFileInfo(proposal.absolutePath()).isDir())
            dialog->setDirectory(proposal.absolutePath());
        dialog->selectFile(proposal.fileName());
    }
    return dialog;
}

void SavePictureFile(const FormulaPicture& picture, const QString& fileName, PictureFileType type)
{
    const QByteArray bytes = EncodePicture(picture, type);
    const QFileInfo target(fileName);
    if (target.isFile() && !target.isWritable())
        throw EInOutError(CannotWriteMessage(fileName) + QStringLiteral(" El archivo es de solo lectura."));
    try {
        WriteWholeFile(fileName, bytes);
    } catch (const EInOutError&) {
        throw EInOutError(CannotWriteMessage(fileName) + QLatin1Char(' ') + writeFailureReason(fileName));
    }
}

bool ExportPicture(const FormulaPicture& picture, QWidget* parent)
{
    if (!hasExtent(picture))
        return false;
    PictureSaveChoice choice;
    choice.FileName = PictureExporting().LastFileName;
    QString fileName;
    PictureFileType type = PictureFileType::Jpg;
    for (;;) {
        if (!askFileName(parent, choice))
            return false;
        type = typeOfFilter(choice.FilterIndex);
        fileName = ReplaceFileExtension(choice.FileName, PictureFileExtension(type));
        // Asked for the name written, never only for the one typed.
        if (!QFileInfo(fileName).isFile())
            break;
        const int answer =
            MsgBoxApp(Format(QStringLiteral("El archivo \"%s\" ya existe.\n¿Desea reemplazarlo?"), {native(fileName)}),
                      mb::YesNo | mb::IconWarning | mb::DefButton2);
        if (answer == idYes)
            break;
        // No: back to the dialog, on the name that was refused.
        choice.FileName = fileName;
    }
    try {
        SavePictureFile(picture, fileName, type);
    } catch (const Exception& e) {
        MsgBoxApp(e.message(), mb::Ok | mb::IconError);
        return false;
    } catch (const std::bad_alloc&) {
        MsgBoxApp(QStringLiteral("No hay memoria suficiente para guardar la imagen."), mb::Ok | mb::IconError);
        return false;
    }
    PictureExporting().LastFileName = fileName;
    return true;
}

std::unique_ptr<QMimeData> PictureMimeData(const FormulaPicture& picture)
{
    if (!hasExtent(picture))
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setImageData(PictureBitmap(picture));
    data->setData(QStringLiteral("image/x-emf"), PictureToEmf(picture));
    return data;
}

void CopyPictureToClipboard(const FormulaPicture& picture)
{
    std::unique_ptr<QMimeData> data;
    try {
        data = PictureMimeData(picture);
    } catch (const Exception& e) {
        MsgBoxApp(e.message(), mb::Ok | mb::IconError);
        return;
    }
    if (data)
        QGuiApplication::clipboard()->setMimeData(data.release());
}
