// The main window's unit conversion and chemistry: F10 and its Ctrl forms,
// the recent conversions kept in the settings, the boxes' "Convertir", the
// molar masses of typed formulas with "Calcular MMR", the elements in the
// names list; and the tool windows in the tools menu in their order.
#include "frmcalcfixture.h"

#include "foundation/core/zelini.h"
#include "support/autocompprobe.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/convmenu.h"
#include "services/toolwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QToolButton>

void RegisterWindowAreas();

namespace {

class ScienceTest : public FrmCalcTest {
protected:
    void SetUp() override
    {
        FrmCalcTest::SetUp();
        copyBuiltDataFiles({"maguni.def", "quim.ini"});
        LoadUnitDefinitions();
        UnloadAtomicMasses();
        LoadAtomicMasses();
    }
    void TearDown() override
    {
        FrmCalcTest::TearDown();
        UnloadAtomicMasses();
    }
};

TEST_F(ScienceTest, F10KeysAndTheRecentConversions)
{
    writeSettings("[RectConv]\r\n0=pie -> metro (Longitud)\r\n1=metro -> pie (Longitud)\r\n2=hora -> minuto (Tiempo)\r\n");
    open();
    ASSERT_EQ(w->Conversion()->Recent().Items().size(), 3);
    enter(QStringLiteral("10"));
    // Ctrl+F10: the last conversion again, on the result box.
    QTest::keyClick(w->cmbEdit, Qt::Key_F10, Qt::ControlModifier);
    EXPECT_EQ(result(), QStringLiteral("3.048"));
    // Ctrl+Shift+F10: its inverse.
    QTest::keyClick(w->cmbEdit, Qt::Key_F10, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(result(), QStringLiteral("10"));
    // F10 with Alt does nothing; F10 alone opens the menu.
    QTest::keyClick(w->cmbEdit, Qt::Key_F10, Qt::AltModifier);
    EXPECT_EQ(result(), QStringLiteral("10"));
    EXPECT_FALSE(w->PopupMenu6->isVisible());
    QTest::keyClick(w->cmbEdit, Qt::Key_F10);
    EXPECT_TRUE(w->PopupMenu6->isVisible());
    w->PopupMenu6->hide();
    EXPECT_TRUE(sink.empty());

    // Written at close from key "0", the section never erased first.
    w->close();
    w.reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    QStringList lines;
    ini.ReadSectionValues(QStringLiteral("RectConv"), lines);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[2], QStringLiteral("2=hora -> minuto (Tiempo)"));
}

TEST_F(ScienceTest, CtrlF10WithoutARecentConversionDoesNothing)
{
    openNotFirstRun();
    enter(QStringLiteral("7"));
    QTest::keyClick(w->cmbEdit, Qt::Key_F10, Qt::ControlModifier);
    QTest::keyClick(w->cmbEdit, Qt::Key_F10, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(result(), QStringLiteral("7"));
    EXPECT_TRUE(sink.empty());
    // The boxes' menus start with "Convertir"; the tools menu has the unit editor.
    EXPECT_EQ(w->PopupMenuX1->actions().first()->text(), QStringLiteral("Convertir"));
    EXPECT_EQ(w->PopupMenuX2->actions().first()->text(), QStringLiteral("Convertir"));
    EXPECT_TRUE(w->findChild<QAction*>(QStringLiteral("Opciones2")));
    EXPECT_EQ(w->btnConversion->menu(), w->PopupMenu6);
}

TEST_F(ScienceTest, FormulasAreWeighedWhileCalcularMMRIsOn)
{
    openNotFirstRun();
    enter(QStringLiteral("H2O"));
    EXPECT_EQ(result(), QStringLiteral("18.015"));
    enter(QStringLiteral("2*NaCl"));
    EXPECT_TRUE(result().startsWith(QStringLiteral("116.8"))) << result().toStdString();
    // Groups and hydrates are names the compiler hands to the resolver whole.
    enter(QStringLiteral("Ca(OH)2"));
    EXPECT_EQ(result(), QStringLiteral("74.092"));
    enter(QStringLiteral("2Ca(OH)2+1"));
    EXPECT_EQ(result(), QStringLiteral("149.184"));
    EXPECT_TRUE(sink.empty()) << sink.count();
    // Off: a formula is an unknown name again.
    QAction* mmr = w->findChild<QAction*>(QStringLiteral("CalcularMMR1"));
    ASSERT_TRUE(mmr);
    emit w->PopupMenu7->aboutToShow();
    mmr->trigger();
    sink.clear();
    enter(QStringLiteral("H2O"));
    EXPECT_EQ(sink.count(), 1);
    EXPECT_NE(result(), QStringLiteral("18.015"));
}

TEST_F(ScienceTest, TheNamesListOffersTheElementsWhileCalcularMMRIsOn)
{
    openNotFirstRun();
    w->show();
    int elements = -1;
    AutoComp().OnShown = [&](TfmAutoComp& list) {
        elements = 0;
        for (int i = 0; i < list.Count(); ++i)
            elements += list.ItemText(i).startsWith(QStringLiteral("Fe - "));
        list.hide();
    };
    w->cmbEdit->SetText(QString());
    QTest::keyClick(w->cmbEdit, Qt::Key_F2);
    EXPECT_EQ(elements, 1);
    // Off: the list is filled again, without them.
    QAction* mmr = w->findChild<QAction*>(QStringLiteral("CalcularMMR1"));
    emit w->PopupMenu7->aboutToShow();
    mmr->trigger();
    QTest::keyClick(w->cmbEdit, Qt::Key_F2);
    EXPECT_EQ(elements, 0);
}

TEST_F(ScienceTest, TypingOnPastTheElementsInTheNamesListKeepsTheWordsAsTyped)
{
    openNotFirstRun();
    w->show();
    struct Case {
        const char* typed;
        const char* text;
    } cases[] = {
        {"a+b*2", "a+b*2"},      // "b" is not the element B
        {"c-n+2", "c-n+2"},
        {"2*rai(9)", "2*raiz(9)"},     // the typed start of a function's name completes
        {"2*Rai(9)", "2*raiz(9)"},     // in any case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ListTyping keys(QString::fromLatin1(c.typed));
        AutoComp().OnShown = [&keys](TfmAutoComp& list) {
            keys.intoList(list);
            if (list.Running())
                QTest::keyClick(list.lb, Qt::Key_Escape);
        };
        w->cmbEdit->SetText(QString());
        w->cmbEdit->setFocus();
        keys.into(w->cmbEdit);
        AutoComp().OnShown = nullptr;
        EXPECT_EQ(w->cmbEdit->Text(), QString::fromLatin1(c.text));
    }
}

TEST_F(ScienceTest, TheToolWindowsTakeTheirPlaceInTheToolsMenu)
{
    RegisterWindowAreas();
    openNotFirstRun();
    QStringList captions;
    for (QAction* a : w->PopupMenu7->actions())
        if (a->objectName().startsWith(QStringLiteral("Mostrar")))
            captions << a->text().section(QLatin1Char('\t'), 0, 0);
    // Those built, in the menu's order.
    const QStringList order = {QStringLiteral("Fórmulas"),         QStringLiteral("Matrices"),
                               QStringLiteral("Factores primos"),  QStringLiteral("Fec&has y Tiempo"),
                               QStringLiteral("Conversor"),        QStringLiteral("Estadísticas"),
                               QStringLiteral("Fracciones"),       QStringLiteral("Complejos"),
                               QStringLiteral("Polinomios"),       QStringLiteral("Sucesiones"),
                               QStringLiteral("Tabla Periódica")};
    QStringList expected;
    for (const QString& c : order)
        if (captions.contains(c))
            expected << c;
    EXPECT_EQ(captions, expected);
    EXPECT_GE(captions.size(), 6);
}

TEST_F(ScienceTest, AnInvalidOperationOffersTheComplexWindow)
{
    RegisterWindowAreas();
    openNotFirstRun();
    // No: nothing opens.
    sink.answers = {idNo};
    enter(QStringLiteral("Raiz(-4)"));
    QTRY_COMPARE(sink.count(), 1);
    EXPECT_FALSE(w->ToolOpen(QStringLiteral("fmComplex")));
    // Yes: the complex window opens with the text calculated, its toggle down.
    sink.clear();
    sink.answers = {idYes};
    enter(QStringLiteral("Raiz(-4)"));
    QTRY_COMPARE(sink.count(), 1);
    QTRY_VERIFY(w->ToolOpen(QStringLiteral("fmComplex")));
    TToolWindow* complex = w->ToolWindowOf(QStringLiteral("fmComplex"));
    ASSERT_TRUE(complex);
    EXPECT_TRUE(complex->isVisible());
    bool shown = false;
    for (QLineEdit* e : complex->findChildren<QLineEdit*>())
        shown = shown || e->text().trimmed() == QStringLiteral("2i");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(w->findChild<QToolButton*>(QStringLiteral("SpeedButton11"))->isChecked());
}

} // namespace
