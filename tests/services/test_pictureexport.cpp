// The export of a formula picture: the save dialog with its four types (JPG
// first), the chosen type's extension on whatever name was typed, the question
// before replacing asked for the name really written, a failed write that
// leaves nothing behind and says why, and the clipboard's image and metafile.
#include "services/pictureexport.h"

#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "foundation/core/filesafe.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

FixedWidthMetrics g_metrics(8);

std::unique_ptr<FormulaPicture> Picture(int width = 40, int height = 20)
{
    auto pic = std::make_unique<FormulaPicture>(&g_metrics);
    pic->setSize(width, height);
    pic->textOut(2, 2, QStringLiteral("12"));
    pic->line(2, 15, 30, 15);
    return pic;
}

// What a file of the type begins with.
bool LooksLike(const QByteArray& bytes, PictureFileType type)
{
    switch (type) {
    case PictureFileType::Emf: return bytes.startsWith(QByteArray("\x01\0\0\0", 4)) && bytes.mid(40, 4) == " EMF";
    case PictureFileType::Wmf: return bytes.startsWith("\xD7\xCD\xC6\x9A");
    case PictureFileType::Bmp: return bytes.startsWith("BM") && bytes[28] == 4;
    case PictureFileType::Jpg: return bytes.startsWith("\xFF\xD8\xFF");
    }
    return false;
}

class PictureExportTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        PictureExporting().reset();
        Basicos().Messages = &sink;
        PictureExporting().AskFileName = [this](QWidget*, PictureSaveChoice& choice) {
            proposals.append(choice);
            if (answers.empty())
                return false;
            choice = answers.front();
            answers.pop_front();
            return true;
        };
    }
    void TearDown() override
    {
        PictureExporting().reset();
        ExeDirTest::TearDown();
    }
    // The dialog answers the name (in the test's folder) and the type.
    void answer(const QString& name, PictureFileType type) { answers.push_back({path(name), int(type)}); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }

    RecordingSink sink;
    std::deque<PictureSaveChoice> answers;
    QList<PictureSaveChoice> proposals;
};

} // namespace

TEST(PictureExportNames, TheChosenTypesExtensionReplacesWhateverWasTyped)
{
    struct Case {
        const char* typed;
        const char* extension;
        const char* written;
    } cases[] = {
        {"/d/formula.bmp", ".jpg", "/d/formula.jpg"},
        {"/d/formula", ".emf", "/d/formula.emf"},
        {"/d/formula.", ".wmf", "/d/formula.wmf"},
        {"/d/formula.tar.gz", ".bmp", "/d/formula.tar.bmp"},
        {"/d.old/formula", ".jpg", "/d.old/formula.jpg"},
        {"/d/formula.JPG", ".jpg", "/d/formula.jpg"},
        {"/d/.bmp", ".jpg", "/d/.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(ReplaceFileExtension(QString::fromUtf8(c.typed), QString::fromUtf8(c.extension)),
                  QString::fromUtf8(c.written));
    }
}

TEST(PictureExportDialog, FourTypesJpgPreselectedAndNoQuestionOfItsOwn)
{
    const std::unique_ptr<QFileDialog> d = BuildPictureSaveDialog(nullptr, PictureSaveChoice{});
    EXPECT_EQ(d->objectName(), QStringLiteral("SaveDialog1"));
    EXPECT_EQ(d->nameFilters(), QStringList({QStringLiteral("EMF - Metarchivo mejorado (*.emf)"),
                                             QStringLiteral("JPG - JPEG (*.jpg)"),
                                             QStringLiteral("BMP - Bitmap (Paleta 4 bits) (*.bmp)"),
                                             QStringLiteral("WMF - Metarchivo (*.wmf)")}));
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("JPG - JPEG (*.jpg)"));
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    // The question before replacing is asked after the extension is replaced.
    EXPECT_TRUE(d->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(d->isSizeGripEnabled());
    EXPECT_EQ(d->labelText(QFileDialog::Accept), QStringLiteral("Guardar"));
    EXPECT_EQ(d->labelText(QFileDialog::Reject), QStringLiteral("Cancelar"));
    EXPECT_EQ(d->labelText(QFileDialog::FileType), QStringLiteral("Tipo:"));
}

TEST(PictureExportDialog, OpensOnTheProposedFileAndType)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::unique_ptr<QFileDialog> d =
        BuildPictureSaveDialog(nullptr, PictureSaveChoice{dir.filePath(QStringLiteral("f.wmf")), 4});
    EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("WMF - Metarchivo (*.wmf)"));
    ASSERT_EQ(d->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(d->selectedFiles().front()).fileName(), QStringLiteral("f.wmf"));
}

TEST_F(PictureExportTest, EachTypeWritesItsFormatUnderItsExtension)
{
    const PictureFileType types[] = {PictureFileType::Emf, PictureFileType::Jpg, PictureFileType::Bmp,
                                     PictureFileType::Wmf};
    const auto pic = Picture();
    for (PictureFileType t : types) {
        SCOPED_TRACE(int(t));
        // Typed with another type's extension.
        answer(QStringLiteral("formula.xyz"), t);
        EXPECT_TRUE(ExportPicture(*pic, nullptr));
        const QString written = QStringLiteral("formula") + PictureFileExtension(t);
        EXPECT_TRUE(LooksLike(get(written), t));
        EXPECT_EQ(PictureExporting().LastFileName, path(written));
    }
    EXPECT_EQ(files(), QStringList({"formula.bmp", "formula.emf", "formula.jpg", "formula.wmf"}));
    EXPECT_TRUE(sink.empty()) << sink.texts().join('|').toStdString();
    // Each dialog opened on the previous file; the first on none, with JPG.
    ASSERT_EQ(proposals.size(), 4);
    EXPECT_EQ(proposals[0].FileName, QString());
    EXPECT_EQ(proposals[0].FilterIndex, 2);
    EXPECT_EQ(proposals[1].FileName, path(QStringLiteral("formula.emf")));
}

TEST_F(PictureExportTest, TheQuestionIsAskedForTheNameWritten)
{
    const auto pic = Picture();
    // The typed name exists, the written one does not: nothing to ask, the
    // typed file stays as it was.
    put(QStringLiteral("a.bmp"), "typed");
    answer(QStringLiteral("a.bmp"), PictureFileType::Jpg);
    EXPECT_TRUE(ExportPicture(*pic, nullptr));
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(get(QStringLiteral("a.bmp")), QByteArray("typed"));
    EXPECT_TRUE(LooksLike(get(QStringLiteral("a.jpg")), PictureFileType::Jpg));

    // The written name exists: asked for it, with No as the default.
    put(QStringLiteral("b.jpg"), "old");
    answer(QStringLiteral("b.bmp"), PictureFileType::Jpg);
    sink.answers = {idNo};
    EXPECT_FALSE(ExportPicture(*pic, nullptr));  // No, then Cancel in the dialog
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QDir::toNativeSeparators(path(QStringLiteral("b.jpg")))))
        << sink.last().text.toStdString();
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconWarning | mb::DefButton2);
    EXPECT_EQ(get(QStringLiteral("b.jpg")), QByteArray("old"));
    // No went back to the dialog, on the refused name.
    EXPECT_EQ(proposals.back().FileName, path(QStringLiteral("b.jpg")));

    answer(QStringLiteral("b"), PictureFileType::Jpg);
    sink.answers = {idYes};
    EXPECT_TRUE(ExportPicture(*pic, nullptr));
    EXPECT_EQ(sink.count(), 2);
    EXPECT_TRUE(LooksLike(get(QStringLiteral("b.jpg")), PictureFileType::Jpg));
}

TEST_F(PictureExportTest, AFailedWriteLeavesNothingAndSaysWhy)
{
    const auto pic = Picture();
    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* why;
        const char* leftBehind;  // what the folder holds afterwards
    } cases[] = {
        {"falta/f.jpg", [] {}, "no existe", ""},
        {"carpeta.jpg", [this] { QDir(dir.path()).mkdir(QStringLiteral("carpeta.jpg")); },
         "Ya hay una carpeta con ese nombre.", "carpeta.jpg"},
        // The disk fills up while the file is written: the old file stays.
        {"lleno.jpg",
         [this] {
             put(QStringLiteral("lleno.jpg"), "old");
             sink.answers = {idYes};
             FileWriting().BeforeStep = [](const QString&, FileWriteStep s) { return s != FileWriteStep::Write; };
         },
         "disco", "lleno.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& f : files()) {
            if (QFileInfo(path(f)).isDir())
                QDir(path(f)).removeRecursively();
            else
                QFile::remove(path(f));
        }
        FileWriting().reset();
        sink.clear();
        c.prepare();
        answer(QString::fromUtf8(c.name), PictureFileType::Jpg);
        EXPECT_FALSE(ExportPicture(*pic, nullptr));
        ASSERT_FALSE(sink.empty());
        const RecordingSink::Box& box = sink.last();
        EXPECT_EQ(box.flags & mb::IconMask, mb::IconError);
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("No se puede escribir el archivo"))) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QString::fromUtf8(c.why))) << box.text.toStdString();
        EXPECT_EQ(files().join(','), QString::fromUtf8(c.leftBehind));
        EXPECT_TRUE(PictureExporting().LastFileName.isEmpty());
    }
    EXPECT_EQ(get(QStringLiteral("lleno.jpg")), QByteArray("old"));
}

TEST_F(PictureExportTest, CancelAndEmptyPicturesWriteNothing)
{
    EXPECT_FALSE(ExportPicture(*Picture(), nullptr));  // the dialog is cancelled
    EXPECT_EQ(proposals.size(), 1);
    answer(QStringLiteral("x"), PictureFileType::Bmp);
    EXPECT_FALSE(ExportPicture(*Picture(0, 0), nullptr));  // no dialog at all
    EXPECT_EQ(proposals.size(), 1);
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(sink.empty());
}

TEST_F(PictureExportTest, APictureTooLargeForTheTypeIsRefusedInSpanish)
{
    const auto pic = Picture(40000, 10);
    answer(QStringLiteral("ancha"), PictureFileType::Wmf);
    EXPECT_FALSE(ExportPicture(*pic, nullptr));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("demasiado grande"))) << sink.last().text.toStdString();
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(PictureExportTest, TheRealDialogTakesTheTypedNameAndTheChosenType)
{
    PictureExporting().AskFileName = nullptr;
    PictureExporting().LastFileName = path(QStringLiteral("previa.jpg"));
    const auto pic = Picture();
    bool seen = false;
    int tries = 0;
    std::function<void()> drive = [&] {
        QFileDialog* d = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible())
                d = f;
        if (!d) {
            if (++tries < 500)
                QTimer::singleShot(20, drive);
            return;
        }
        seen = d->objectName() == QLatin1String("SaveDialog1");
        auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (!types || !name || !buttons) {
            ADD_FAILURE() << "the dialog's controls are not there";
            d->reject();
            return;
        }
        // As a user would, once the folder is listed (typing earlier is
        // undone by the listing).
        if (auto* model = d->findChild<QFileSystemModel*>()) {
            QSignalSpy listed(model, &QFileSystemModel::directoryLoaded);
            listed.wait(5000);
        }
        types->setCurrentIndex(2);  // BMP
        name->clear();
        QTest::keyClicks(name, QStringLiteral("dibujo.jpg"));
        QPushButton* save = buttons->button(QDialogButtonBox::Save);
        if (!save)
            save = buttons->button(QDialogButtonBox::Open);
        ASSERT_NE(save, nullptr);
        EXPECT_EQ(save->text(), QStringLiteral("Guardar"));
        QTest::mouseClick(save, Qt::LeftButton);
        // Still open (a completer or a question): give up rather than hang.
        if (d->isVisible())
            d->reject();
    };
    QTimer::singleShot(0, drive);
    EXPECT_TRUE(ExportPicture(*pic, nullptr));
    EXPECT_TRUE(seen);
    EXPECT_EQ(files(), QStringList({"dibujo.bmp"}));
    EXPECT_TRUE(LooksLike(get(QStringLiteral("dibujo.bmp")), PictureFileType::Bmp));
}

TEST_F(PictureExportTest, TheClipboardGetsTheImageAndTheMetafile)
{
    QClipboard* clip = QGuiApplication::clipboard();
    clip->setText(QStringLiteral("antes"));
    CopyPictureToClipboard(*Picture(0, 0));
    EXPECT_EQ(clip->text(), QStringLiteral("antes"));

    const auto pic = Picture(40, 20);
    CopyPictureToClipboard(*pic);
    const QMimeData* data = clip->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasImage());
    const QImage img = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(img.size(), QSize(40, 20));
    // Drawn on white, the text's ink where it was drawn.
    EXPECT_EQ(img.pixel(39, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(10, 15) & 0xFFFFFF, 0x000000u);
    const QByteArray emf = data->data(QStringLiteral("image/x-emf"));
    EXPECT_TRUE(LooksLike(emf, PictureFileType::Emf));
    EXPECT_EQ(emf, PictureToEmf(*pic));
}
