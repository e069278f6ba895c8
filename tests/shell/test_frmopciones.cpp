// The options dialog over the real main window: what it shows, Aceptar's
// steps and its checks before anything is applied, Cancelar, the colour
// swatches and the named schemes of colores.ini, the transparency and the
// tolerance box's key filter.
#include "frmcalcfixture.h"

#include "controls/formmx.h"
#include "foundation/core/zelini.h"
#include "shell/frmopciones.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

namespace {

using Scheme = std::array<TColor, 4>;

class OptionsTest : public FrmCalcTest {
protected:
    void SetUp() override
    {
        FrmCalcTest::SetUp();
        FormMXSettings().reset();
    }
    void TearDown() override
    {
        dialog.reset();
        host.reset();
        FormMXSettings().reset();
        FrmCalcTest::TearDown();
    }
    void openDialog()
    {
        if (!w)
            openNotFirstRun();
        host = MainWindowOptionsHost(*w);
        dialog = std::make_unique<TfmOpciones>(*host, w.get());
        dialog->InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
            queries.append(caption + QLatin1Char('|') + prompt + QLatin1Char('|') + text);
            if (names.isEmpty())
                return false;
            text = names.takeFirst();
            return true;
        };
        dialog->ChooseColor = [this](TColor& c) {
            if (!chosen)
                return false;
            c = *chosen;
            return true;
        };
        dialog->show();
    }
    Scheme mainScheme() const
    {
        const TAppearance& a = w->Appearance();
        return {a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo};
    }
    QString setting(const char* key)
    {
        TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
        return ini.ReadString(QStringLiteral("Opciones"), QLatin1String(key), QStringLiteral("<none>"));
    }
    QStringList schemesInFile()
    {
        TZelIniFile ini(dir.filePath(QStringLiteral("colores.ini")));
        QStringList lines;
        ini.ReadSectionValues(QStringLiteral("Colores"), lines);
        return lines;
    }
    QStringList listNames() const
    {
        QStringList out;
        for (int i = 0; i < dialog->ComboBox1->count(); ++i)
            out << dialog->ComboBox1->itemText(i);
        return out;
    }
    void put(const QString& name, const QByteArray& bytes)
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // A click on a check box's mark.
    static void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
    void saveScheme(const QString& name)
    {
        names = {name};
        QTest::mouseClick(dialog->btnAdd, Qt::LeftButton);
    }

    std::unique_ptr<TOptionsHost> host;
    std::unique_ptr<TfmOpciones> dialog;
    QStringList queries;
    QStringList names;
    std::optional<TColor> chosen;
};

TEST(T4Colores, ReadsItsTextAndFillsWhatIsMissing)
{
    struct Case {
        const char* text;
        Scheme colors;
    } cases[] = {
        {"$F7F7F7,$EDD2AF,$674018,$E8F0EE", {0xF7F7F7, 0xEDD2AF, 0x674018, 0xE8F0EE}},
        {"16777215,0,255,0x00FF00", {0xFFFFFF, 0, 255, 0xFF00}},
        // Two numbers: the text colour white, the field colour black.
        {"$123456,$654321", {0x123456, 0x654321, 0xFFFFFF, 0}},
        {"", {0xFFFFFF, 0, 0xFFFFFF, 0}},
        {"verde,$1G,,$10", {0xFFFFFF, 0, 0xFFFFFF, 0x10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const T4Colores s{QString::fromLatin1(c.text)};
        EXPECT_EQ(s.Colors, c.colors);
        EXPECT_EQ(s.Text, QString::fromLatin1(c.text));
    }
    const T4Colores made = T4Colores::CreateColors(0xF7F7F7, 0, 0xFF, 0x674018);
    EXPECT_EQ(made.Text, QStringLiteral("$F7F7F7,$0,$FF,$674018"));
    EXPECT_EQ(T4Colores(made.Text).Colors, (Scheme{0xF7F7F7, 0, 0xFF, 0x674018}));
}

TEST_F(OptionsTest, ShowsTheMainWindowsOptions)
{
    writeSettings("MaxDif=2.5E-12\r\nMaxList=33\r\nMMR=0\r\nVerBarra=0\r\nTransp=1\r\nTranspAct=1\r\nTranspVal=40\r\n"
                  "ClLuz=1193046\r\n");
    open();
    openDialog();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Opciones"));
    EXPECT_EQ(dialog->PageControl1->currentIndex(), 0);
    EXPECT_EQ(dialog->edtDif->text(), QStringLiteral("2.5E-12"));
    EXPECT_EQ(dialog->spnRecordar->value(), 33);
    EXPECT_FALSE(dialog->chkMMR->isChecked());
    EXPECT_TRUE(dialog->chkHistorial->isChecked());
    EXPECT_FALSE(dialog->chkBarra->isChecked());
    EXPECT_FALSE(dialog->chkTotales->isEnabled());
    clickBox(dialog->chkBarra);
    EXPECT_TRUE(dialog->chkTotales->isEnabled());
    clickBox(dialog->chkBarra);
    EXPECT_FALSE(dialog->chkTotales->isEnabled()) << "unticking the bar disables the totals";
    EXPECT_TRUE(dialog->chkTransparente->isChecked());
    EXPECT_FALSE(dialog->chkTransInactiva->isChecked());
    EXPECT_EQ(dialog->trbTransVar->value(), 40);
    EXPECT_EQ(dialog->Swatches(), mainScheme());
    EXPECT_EQ(dialog->Swatches()[0], TColor(0x123456));
    EXPECT_EQ(dialog->PreviewColors(), mainScheme());
    EXPECT_EQ(dialog->cmbFRnom->currentText(), w->Edit2->font().family());
    EXPECT_EQ(dialog->spbFRneg->isChecked(), w->Edit2->font().bold());
}

TEST_F(OptionsTest, AceptarAppliesEveryOptionAndWritesTheSettings)
{
    openDialog();
    dialog->edtDif->setText(QStringLiteral("1e-10"));
    dialog->spnRecordar->setValue(20);
    dialog->chkMMR->setChecked(false);
    dialog->chkNoAuto->setChecked(false);
    dialog->chkHistorial->setChecked(false);
    dialog->chkJuntoReloj->setChecked(true);
    dialog->chkMagnetic->setChecked(false);
    dialog->cmbFEtam->setCurrentText(QStringLiteral("14"));
    dialog->spbFEneg->setChecked(true);
    dialog->spbFEcur->setChecked(true);
    dialog->cmbFRtam->setCurrentText(QStringLiteral("9"));
    dialog->spbFRneg->setChecked(false);
    dialog->SetSwatch(1, 0x102030);
    dialog->chkTransparente->setChecked(true);
    dialog->chkTransInactiva->setChecked(false);
    dialog->trbTransVar->setValue(35);
    QTest::mouseClick(dialog->Button1, Qt::LeftButton);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(real::engineState().EqualityTolerance, 1e-10L);
    EXPECT_EQ(Calc().MaxList, 20);
    EXPECT_FALSE(Calc().NoAuto);
    EXPECT_TRUE(Calc().MinIcon);
    EXPECT_FALSE(w->Magnetic);
    EXPECT_FALSE(host->Options().Chemistry);
    EXPECT_FALSE(host->Options().History);
    EXPECT_EQ(w->cmbEdit->font().pointSize(), 14);
    EXPECT_TRUE(w->cmbEdit->font().bold() && w->cmbEdit->font().italic());
    EXPECT_EQ(w->Edit2->font().pointSize(), 9);
    EXPECT_FALSE(w->Edit2->font().bold());
    EXPECT_EQ(mainScheme()[1], TColor(0x102030));
    EXPECT_TRUE(FormMXSettings().TranspInactive);
    EXPECT_TRUE(FormMXSettings().TranspActive);
    EXPECT_EQ(FormMXSettings().TranspPercent, 35);

    struct Key {
        const char* key;
        const char* value;
    } keys[] = {{"MaxDif", "1E-10"}, {"MaxList", "20"},  {"MMR", "0"},        {"NoAuto", "0"},
                {"MinIcon", "1"},    {"Magnetico", "0"}, {"FETam", "14"},     {"FETipo", "3"},
                {"FRTam", "9"},      {"FRTipo", "0"},    {"Transp", "1"},     {"TranspAct", "1"},
                {"TranspVal", "35"}, {"SiempreVisible", "0"}, {"Autocompletar", "1"}, {"NoTitulo", "0"}};
    for (const Key& k : keys) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(setting(k.key), QString::fromLatin1(k.value));
    }
    EXPECT_EQ(setting("FENom"), w->cmbEdit->font().family());
}

TEST_F(OptionsTest, BadFieldsAreReportedAndNothingIsApplied)
{
    struct Case {
        const char* tolerance;
        const char* size;
        const char* message;
        int page;
    } cases[] = {
        {"1e", "10", "'1e' no es un valor decimal válido", 0},
        {"", "10", "'' no es un valor decimal válido", 0},
        {"-1e-9", "10", "La diferencia máxima no puede ser negativa", 0},
        {"1e-9", "diez", "'diez' no es un valor entero válido", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tolerance);
        w.reset();
        openDialog();
        sink.clear();
        const Scheme before = mainScheme();
        const Extended tolerance = real::engineState().EqualityTolerance;
        dialog->edtDif->setText(QString::fromUtf8(c.tolerance));
        dialog->spnRecordar->setValue(99);
        dialog->chkMMR->setChecked(false);
        dialog->SetSwatch(0, 0x010203);
        dialog->chkTransparente->setChecked(true);
        dialog->trbTransVar->setValue(50);
        const QString sizeBefore = QString::number(w->cmbEdit->font().pointSize());
        dialog->cmbFEtam->setCurrentText(QString::fromUtf8(c.size));
        sink.clear();   // the preview's own report of a bad size
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);

        ASSERT_EQ(sink.count(), 1);
        EXPECT_TRUE(sink.last().text.startsWith(QString::fromUtf8(c.message))) << sink.last().text.toStdString();
        EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open";
        EXPECT_EQ(dialog->PageControl1->currentIndex(), c.page);
        EXPECT_EQ(real::engineState().EqualityTolerance, tolerance);
        EXPECT_NE(Calc().MaxList, 99);
        EXPECT_TRUE(host->Options().Chemistry);
        EXPECT_EQ(mainScheme(), before);
        EXPECT_FALSE(FormMXSettings().TranspInactive);
        EXPECT_EQ(QString::number(w->cmbEdit->font().pointSize()), sizeBefore);
        EXPECT_EQ(setting("MaxDif"), QStringLiteral("<none>"));
        EXPECT_EQ(setting("TranspVal"), QStringLiteral("<none>"));
        dialog.reset();
    }
}

TEST_F(OptionsTest, ABadSizeIsReportedByThePreviewToo)
{
    openDialog();
    dialog->cmbFRtam->setCurrentText(QStringLiteral("12"));
    EXPECT_EQ(dialog->MuesFR->font().pointSize(), 12);
    sink.clear();
    dialog->cmbFRtam->setCurrentText(QStringLiteral("12x"));
    ASSERT_FALSE(sink.empty());
    EXPECT_EQ(sink.last().text, QStringLiteral("'12x' no es un valor entero válido"));
    EXPECT_EQ(dialog->MuesFR->font().pointSize(), 12);
    dialog->spbFRcur->setChecked(true);
    EXPECT_TRUE(dialog->MuesFR->font().italic());
}

TEST_F(OptionsTest, CancelarAfterAplicarGivesBackTheColoursShownAtOpening)
{
    openDialog();
    const Scheme before = mainScheme();
    int appearance = 0;
    w->Notices().Connect(THostNotice::AppearanceChanged, [&] { ++appearance; });
    chosen = 0x00AA00;
    QTest::mouseClick(dialog->Shape3, Qt::LeftButton);
    EXPECT_EQ(dialog->Swatches()[2], TColor(0x00AA00));
    EXPECT_EQ(dialog->PreviewColors()[2], TColor(0x00AA00));
    QTest::mouseClick(dialog->btnAplicar, Qt::LeftButton);
    EXPECT_EQ(mainScheme()[2], TColor(0x00AA00)) << "Aplicar shows the colours at once";
    EXPECT_EQ(appearance, 1);
    QTest::mouseClick(dialog->Button2, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(mainScheme(), before);
    EXPECT_EQ(appearance, 2);
    EXPECT_EQ(setting("ClTexto"), QStringLiteral("<none>"));
}

TEST_F(OptionsTest, EscCancelsAsCancelarDoes)
{
    openDialog();
    const Scheme before = mainScheme();
    dialog->SetSwatch(0, 0x111111);
    QTest::mouseClick(dialog->btnAplicar, Qt::LeftButton);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(mainScheme(), before);
}

TEST_F(OptionsTest, SwatchesDefaultsAndTheSchemeList)
{
    put(dir.filePath(QStringLiteral("colores.ini")), "[Colores]\r\nRosa=$FFC0FF,$C080C0\r\nAzul=$FF0000,$800000,$FFFFFF,$400000\r\n");
    openDialog();
    EXPECT_EQ(listNames(), (QStringList{QStringLiteral("Azul"), QStringLiteral("Rosa")})) << "sorted";
    EXPECT_EQ(dialog->ComboBox1->currentIndex(), -1);
    EXPECT_FALSE(dialog->btnDel->isEnabled());
    // A scheme of two numbers: white text, black fields.
    dialog->ComboBox1->setCurrentIndex(1);
    dialog->ComboBox1Click();
    EXPECT_EQ(dialog->Swatches(), (Scheme{0xFFC0FF, 0xC080C0, 0xFFFFFF, 0}));
    EXPECT_EQ(dialog->PreviewColors(), dialog->Swatches());
    EXPECT_FALSE(dialog->btnAdd->isEnabled());
    EXPECT_TRUE(dialog->btnDel->isEnabled());
    // A swatch changed: the list loses its selection, "+" comes back.
    chosen = 0x0000FF;
    QTest::mouseClick(dialog->Shape1, Qt::LeftButton);
    EXPECT_EQ(dialog->ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(dialog->btnAdd->isEnabled());
    EXPECT_FALSE(dialog->btnDel->isEnabled());
    // The colour box cancelled: nothing changes.
    chosen.reset();
    QTest::mouseClick(dialog->Shape1, Qt::LeftButton);
    EXPECT_EQ(dialog->Swatches()[0], TColor(0x0000FF));
    QTest::mouseClick(dialog->btnPredeterminado, Qt::LeftButton);
    EXPECT_EQ(dialog->Swatches(), (Scheme{0xF7F7F7, 0xEDD2AF, 0x674018, 0xE8F0EE}));
    EXPECT_EQ(dialog->PreviewColors(), dialog->Swatches());
}

TEST_F(OptionsTest, SavingASchemeAndReplacingOneOfTheSameNameInOtherCase)
{
    put(dir.filePath(QStringLiteral("colores.ini")), "[Colores]\r\nVerde=$1,$2,$3,$4\r\n");
    openDialog();
    dialog->ComboBox1->setCurrentIndex(0);
    dialog->ComboBox1Click();
    EXPECT_FALSE(dialog->btnAdd->isEnabled());
    chosen = 0xAABBCC;
    QTest::mouseClick(dialog->Shape1, Qt::LeftButton);
    saveScheme(QStringLiteral("Noche"));
    ASSERT_EQ(queries.size(), 1);
    // The list lost its selection with the new colour: no name is proposed.
    EXPECT_EQ(queries[0], QStringLiteral("Guardar combinación de colores|Indique un nombre para la combinación de "
                                         "colores|"));
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(listNames(), (QStringList{QStringLiteral("Noche"), QStringLiteral("Verde")}));
    EXPECT_EQ(dialog->ComboBox1->currentText(), QStringLiteral("Noche"));
    EXPECT_TRUE(schemesInFile().contains(QStringLiteral("Noche=$AABBCC,$2,$3,$4")));

    // Another case of an existing name asks; No keeps both as they were.
    sink.answers = {idNo};
    saveScheme(QStringLiteral("VERDE"));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Reemplazar combinación"));
    EXPECT_EQ(sink.last().text, QStringLiteral("Ya existe una combinación de colores\nllamada \"VERDE\".\n\n¿Desea "
                                               "reemplazarla?"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconInformation);
    EXPECT_EQ(listNames(), (QStringList{QStringLiteral("Noche"), QStringLiteral("Verde")}));
    // Yes leaves one entry, under the new name.
    sink.answers = {idYes};
    dialog->SetSwatch(3, 0x44);
    saveScheme(QStringLiteral("VERDE"));
    EXPECT_EQ(listNames(), (QStringList{QStringLiteral("Noche"), QStringLiteral("VERDE")}));
    const QStringList file = schemesInFile();
    EXPECT_EQ(file.size(), 2);
    EXPECT_TRUE(file.contains(QStringLiteral("VERDE=$AABBCC,$2,$3,$44"))) << file.join(QLatin1Char('|')).toStdString();
    // A chosen scheme's name is proposed; Cancel in the name box saves nothing.
    dialog->ComboBox1->setCurrentIndex(0);
    queries.clear();
    sink.clear();
    names.clear();
    QTest::mouseClick(dialog->btnAdd, Qt::LeftButton);
    EXPECT_EQ(schemesInFile().size(), 2);
    EXPECT_TRUE(sink.empty());
    ASSERT_EQ(queries.size(), 1);
    EXPECT_TRUE(queries[0].endsWith(QStringLiteral("|Noche")));
}

TEST_F(OptionsTest, TheFirstSchemeSavedIntoAnEmptyListCanBeDeletedAtOnce)
{
    openDialog();
    ASSERT_EQ(dialog->ComboBox1->count(), 0);
    saveScheme(QStringLiteral("Noche"));
    EXPECT_EQ(dialog->ComboBox1->currentText(), QStringLiteral("Noche"));
    EXPECT_TRUE(dialog->btnDel->isEnabled()) << "\"-\" follows the selection";
    sink.answers = {idYes};
    QTest::mouseClick(dialog->btnDel, Qt::LeftButton);
    EXPECT_TRUE(listNames().isEmpty());
    EXPECT_TRUE(schemesInFile().isEmpty());
}

TEST_F(OptionsTest, ADeletedSchemeStaysDeleted)
{
    put(dir.filePath(QStringLiteral("colores.ini")), "[Colores]\r\nAzul=$FF0000\r\nRosa=$FFC0FF\r\n");
    openDialog();
    dialog->ComboBox1->setCurrentIndex(0);
    sink.answers = {idNo};
    QTest::mouseClick(dialog->btnDel, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Borrar Combinación"));
    EXPECT_EQ(sink.last().text, QStringLiteral("¿Desea eliminar la combinación de colores\r\nAzul?"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_EQ(listNames().size(), 2);
    sink.answers = {idYes};
    QTest::mouseClick(dialog->btnDel, Qt::LeftButton);
    EXPECT_EQ(listNames(), QStringList{QStringLiteral("Rosa")});
    EXPECT_FALSE(dialog->btnDel->isEnabled());
    EXPECT_EQ(schemesInFile(), QStringList{QStringLiteral("Rosa=$FFC0FF")});
    // Opened again, the scheme is not there.
    dialog.reset();
    openDialog();
    EXPECT_EQ(listNames(), QStringList{QStringLiteral("Rosa")});
}

TEST_F(OptionsTest, ASchemeFileThatCannotBeWrittenLeavesTheListAsItWas)
{
    openDialog();
    FileWriting().BeforeStep = [](const QString& name, FileWriteStep) { return !name.contains(QStringLiteral("colores")); };
    saveScheme(QStringLiteral("Noche"));
    FileWriting().reset();
    ASSERT_EQ(sink.count(), 1) << "the write error is reported";
    EXPECT_TRUE(listNames().isEmpty());
}

TEST_F(OptionsTest, TransparencyAppliesWithItsOwnButtonAndStaysAfterCancelar)
{
    openDialog();
    dialog->trbTransVar->setValue(30);
    clickBox(dialog->chkTransparente);
    EXPECT_TRUE(FormMXSettings().TranspInactive);
    EXPECT_EQ(FormMXSettings().TranspPercent, 30);
    dialog->trbTransVar->setValue(60);
    QTest::mouseClick(dialog->btnAplicar2, Qt::LeftButton);
    EXPECT_EQ(FormMXSettings().TranspPercent, 60);
    EXPECT_EQ(w->AlphaBlendValue(), OpacityOfPercent(60));
    QTest::mouseClick(dialog->Button2, Qt::LeftButton);
    EXPECT_TRUE(FormMXSettings().TranspInactive);
    EXPECT_EQ(FormMXSettings().TranspPercent, 60);
}

TEST_F(OptionsTest, ToleranceBoxTakesOnlyTheCharactersOfANumber)
{
    openDialog();
    dialog->edtDif->clear();
    QTest::keyClicks(dialog->edtDif, QStringLiteral("1a,5 e-3x.2E+"));
    EXPECT_EQ(dialog->edtDif->text(), QStringLiteral("15e-3.2E"));
    QTest::keyClick(dialog->edtDif, Qt::Key_Backspace);
    EXPECT_EQ(dialog->edtDif->text(), QStringLiteral("15e-3.2"));
}

TEST_F(OptionsTest, AcercaDeOpensTheAboutBoxOverTheDialog)
{
    openDialog();
    QWidget* owner = nullptr;
    dialog->ShowAbout = [&](QWidget* o) { owner = o; };
    QTest::mouseClick(dialog->Button3, Qt::LeftButton);
    EXPECT_EQ(owner, dialog.get());
}

} // namespace
