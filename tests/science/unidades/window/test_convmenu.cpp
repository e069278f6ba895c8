// The conversion menu over a stand-in of the main window's two boxes: the
// unit submenus built from the definitions (and rebuilt after a reload), the
// conversion of the number at the caret or of the result, the recent
// conversions with "Repetir última" and "Inversa", the previews and the
// settings section.
#include "controls/comboexpr.h"
#include "science/unidades/window/convmenu.h"
#include "unitwindowfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QWidget>

namespace {

class ConvMenuTest : public UnitWindowTest {
protected:
    void SetUp() override
    {
        UnitWindowTest::SetUp();
        load();
        auto* lay = new QVBoxLayout(&window);
        box = new TComboExpr(&window);
        box->setEditable(true);
        result = new QLineEdit(&window);
        lay->addWidget(box);
        lay->addWidget(result);
        menu = new QMenu(&window);
        conv = std::make_unique<TConversionMenu>(menu, box, result);
        conv->ExpressionHasFocus = [this] { return inExpression; };
    }
    void TearDown() override
    {
        conv.reset();
        UnitWindowTest::TearDown();
    }
    // The magnitude submenu of that caption.
    QMenu* magnitudeMenu(const QString& name) const
    {
        for (QAction* a : menu->actions())
            if (a->menu() && a->text() == name && a->data().toInt() == -1)
                return a->menu();
        return nullptr;
    }
    // The "a <to>" item under "de <from>" of the magnitude.
    QAction* leaf(const QString& magnitude, const QString& from, const QString& to) const
    {
        QMenu* m = magnitudeMenu(magnitude);
        if (!m)
            return nullptr;
        for (QAction* de : m->actions()) {
            if (de->text() != QStringLiteral("de ") + from)
                continue;
            emit de->menu()->aboutToShow();
            for (QAction* a : de->menu()->actions())
                if (a->text().section(QLatin1Char('\t'), 0, 0) == QStringLiteral("a ") + to)
                    return a;
        }
        return nullptr;
    }
    void typeInExpression(const QString& text, int caret)
    {
        inExpression = true;
        box->SetText(text);
        box->lineEdit()->setCursorPosition(caret);
    }
    QStringList recentCaptions() const
    {
        QStringList out;
        for (QAction* a : conv->Recientes1->actions())
            out << a->text();
        return out;
    }

    QWidget window;
    TComboExpr* box = nullptr;
    QLineEdit* result = nullptr;
    QMenu* menu = nullptr;
    std::unique_ptr<TConversionMenu> conv;
    bool inExpression = false;
};

TEST_F(ConvMenuTest, UnitSubmenusStandBetweenTheSeparatorsWithPackedTags)
{
    QStringList top;
    for (QAction* a : menu->actions())
        top << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(top, (QStringList{QStringLiteral("Repetir última\tCtrl+F10"), QStringLiteral("Inversa\tCtrl+Shift+F10"),
                                QStringLiteral("Recientes"), QStringLiteral("-"), QStringLiteral("Longitud"),
                                QStringLiteral("Sola"), QStringLiteral("Temperatura"), QStringLiteral("-"),
                                QStringLiteral("Editar unidades...")}));
    QMenu* longitud = magnitudeMenu(QStringLiteral("Longitud"));
    ASSERT_TRUE(longitud);
    ASSERT_EQ(longitud->actions().size(), 4);
    for (QAction* de : longitud->actions()) {
        emit de->menu()->aboutToShow();
        emit de->menu()->aboutToShow();   // opened twice: the items are made once
        EXPECT_EQ(de->menu()->actions().size(), 3);
    }
    QAction* a = leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("metro"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->data().toInt(), 0 * 65536 + 1 * 256 + 0);
    // A magnitude with its fundamental unit alone: one "de" item, no leaves.
    QMenu* sola = magnitudeMenu(QStringLiteral("Sola"));
    ASSERT_TRUE(sola);
    ASSERT_EQ(sola->actions().size(), 1);
    emit sola->actions()[0]->menu()->aboutToShow();
    EXPECT_TRUE(sola->actions()[0]->menu()->actions().isEmpty());
}

TEST_F(ConvMenuTest, MenusAreRebuiltAfterEveryReload)
{
    Sections s = defaultSections();
    s.push_back({QStringLiteral("Masa"), {QStringLiteral("UniFundamental=kilogramo"), QStringLiteral("libra=0.45359237")}});
    s.erase(s.begin() + 2);   // "Sola" goes
    load(s);
    EXPECT_TRUE(magnitudeMenu(QStringLiteral("Masa")));
    EXPECT_FALSE(magnitudeMenu(QStringLiteral("Sola")));
    QAction* a = leaf(QStringLiteral("Temperatura"), QStringLiteral("kelvin"), QStringLiteral("grado Celsius"));
    ASSERT_TRUE(a);
    result->setText(QStringLiteral("300"));
    a->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("26.85"));
}

TEST_F(ConvMenuTest, TheNumberAtTheCaretIsReplacedSignIncluded)
{
    AddExprHistory(box, QStringLiteral("viejo"));
    typeInExpression(QStringLiteral("2*-3"), 4);
    leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("pulgada"))->trigger();
    EXPECT_EQ(box->Text(), QStringLiteral("2*-36"));
    EXPECT_EQ(box->SelStart(), 2);
    EXPECT_EQ(box->SelLength(), 3);
    // The text as it was is the newest entry of the history.
    EXPECT_EQ(box->Items().value(0), QStringLiteral("2*-3"));
    EXPECT_TRUE(sink.empty());

    typeInExpression(QStringLiteral("5E-3+1"), 4);
    leaf(QStringLiteral("Longitud"), QStringLiteral("kilómetro"), QStringLiteral("metro"))->trigger();
    EXPECT_EQ(box->Text(), QStringLiteral("5+1"));
}

TEST_F(ConvMenuTest, WithoutANumberNothingChangesAndTheUserIsTold)
{
    typeInExpression(QStringLiteral("sen(x)"), 3);
    leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("metro"))->trigger();
    EXPECT_EQ(box->Text(), QStringLiteral("sen(x)"));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("No se pudo hallar ningún número para convertir"));
    EXPECT_EQ(sink.last().flags & mb::IconMask, mb::IconError);

    inExpression = false;
    result->setText(QStringLiteral("Verdadero"));
    leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("metro"))->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("Verdadero"));
    EXPECT_EQ(sink.last().text, QStringLiteral("Resultado debe ser un número"));
    EXPECT_TRUE(conv->Recent().IsEmpty());
}

TEST_F(ConvMenuTest, AFailingConversionShowsTheEngineErrorAndKeepsTheResult)
{
    result->setText(QStringLiteral("5"));
    leaf(QStringLiteral("Temperatura"), QStringLiteral("kelvin"), QStringLiteral("cero"))->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("5"));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("División por cero"));
}

TEST_F(ConvMenuTest, RecentConversionsRepeatAndInvert)
{
    result->setText(QStringLiteral("1"));
    leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("pulgada"))->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("12"));
    leaf(QStringLiteral("Longitud"), QStringLiteral("pie"), QStringLiteral("pulgada"))->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("144"));
    EXPECT_EQ(recentCaptions(), QStringList{QStringLiteral("pie -> pulgada (Longitud)")});

    conv->Inversa1->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("12"));
    EXPECT_FALSE(conv->InvertNextConversion);
    conv->Repetirltima1->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("144"));
    // A recent item converts by its caption.
    conv->Recientes1->actions()[0]->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("1728"));
    EXPECT_EQ(conv->Recent().Items().size(), 1);
}

TEST_F(ConvMenuTest, AtMostFifteenRecentNewestFirst)
{
    Sections s{{QStringLiteral("Muchas"), {QStringLiteral("UniFundamental=u0")}}};
    for (int i = 1; i <= 16; ++i)
        s[0].second << QStringLiteral("u%1=%1").arg(i);
    load(s);
    result->setText(QStringLiteral("1"));
    for (int i = 1; i <= 16; ++i)
        leaf(QStringLiteral("Muchas"), QStringLiteral("u%1").arg(i), QStringLiteral("u0"))->trigger();
    const QStringList r = recentCaptions();
    ASSERT_EQ(r.size(), 15);
    EXPECT_EQ(r.front(), QStringLiteral("u16 -> u0 (Muchas)"));
    EXPECT_EQ(r.back(), QStringLiteral("u2 -> u0 (Muchas)"));
}

TEST_F(ConvMenuTest, FixedItemsShowOnlyWithRecentConversions)
{
    emit menu->aboutToShow();
    EXPECT_FALSE(conv->Repetirltima1->isVisible());
    EXPECT_FALSE(conv->Inversa1->isVisible());
    EXPECT_FALSE(conv->Recientes1->menuAction()->isVisible());
    // Ctrl+F10 with nothing to repeat does nothing.
    result->setText(QStringLiteral("3"));
    conv->Repetirltima1Click();
    EXPECT_EQ(result->text(), QStringLiteral("3"));
    EXPECT_TRUE(sink.empty());
    conv->AddRecentConversion(PackConversionTag(0, 1, 0));
    emit menu->aboutToShow();
    EXPECT_TRUE(conv->Repetirltima1->isVisible());
    EXPECT_TRUE(conv->Recientes1->menuAction()->isVisible());
}

TEST_F(ConvMenuTest, ItemsPreviewTheirConversion)
{
    result->setText(QStringLiteral("1 000"));
    QAction* a = leaf(QStringLiteral("Longitud"), QStringLiteral("metro"), QStringLiteral("kilómetro"));
    EXPECT_EQ(a->text(), QStringLiteral("a kilómetro\t       1"));
    result->setText(QStringLiteral("Falso"));
    a = leaf(QStringLiteral("Longitud"), QStringLiteral("metro"), QStringLiteral("kilómetro"));
    EXPECT_EQ(a->text(), QStringLiteral("a kilómetro"));
    typeInExpression(QStringLiteral("x+2E5"), 5);
    a = leaf(QStringLiteral("Longitud"), QStringLiteral("metro"), QStringLiteral("kilómetro"));
    EXPECT_EQ(a->text(), QStringLiteral("a kilómetro\t     200"));
}

TEST_F(ConvMenuTest, RecentConversionsLiveInRectConv)
{
    const QString file = path(QStringLiteral("sumbrix.ini"));
    {
        TZelIniFile ini(file);
        ini.SetSectionLines(QStringLiteral("RectConv"),
                            {QStringLiteral("0=pulgada -> pie (Longitud)"), QStringLiteral("1=")});
    }
    {
        TZelIniFile ini(file);
        conv->ReadSettings(ini);
    }
    EXPECT_EQ(recentCaptions(), QStringList{QStringLiteral("pulgada -> pie (Longitud)")});
    result->setText(QStringLiteral("24"));
    conv->Repetirltima1->trigger();
    EXPECT_EQ(result->text(), QStringLiteral("2"));
    conv->AddRecentConversion(PackConversionTag(2, 0, 1));
    {
        TZelIniFile ini(file);
        conv->WriteSettings(ini);
    }
    TZelIniFile ini(file);
    QStringList lines;
    ini.ReadSectionValues(QStringLiteral("RectConv"), lines);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("0=kelvin -> grado Celsius (Temperatura)"),
                                  QStringLiteral("1=pulgada -> pie (Longitud)")}));
}

TEST_F(ConvMenuTest, EditUnitsOpensOnTheLastMagnitudeAndRebuildsWhenSaved)
{
    QString asked = QStringLiteral("<none>");
    conv->EditUnits = [&](const QString& magnitude) {
        asked = magnitude;
        Sections s = defaultSections();
        s.push_back({QStringLiteral("Nueva"), {QStringLiteral("UniFundamental=n"), QStringLiteral("m=2")}});
        write(s);
        LoadUnitDefinitions();
        return true;
    };
    conv->EditarUnidades1->trigger();
    EXPECT_EQ(asked, QString());
    EXPECT_TRUE(magnitudeMenu(QStringLiteral("Nueva")));
    conv->AddRecentConversion(PackConversionTag(3, 1, 0));   // Temperatura, now fourth
    conv->EditarUnidades1->trigger();
    EXPECT_EQ(asked, QStringLiteral("Temperatura"));
}

} // namespace

namespace {

TEST_F(UnitWindowTest, LoadProblemsAreShownOnceWhenAsked)
{
    Sections s = defaultSections();
    s[0].second << QStringLiteral("roto=2*(_") << QStringLiteral("malo=U+1");
    load(s);
    EXPECT_TRUE(sink.empty());   // the load itself shows nothing
    ShowUnitLoadNotices();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().flags, mb::Ok | mb::IconError);
    EXPECT_TRUE(sink.last().text.startsWith(QStringLiteral("Las siguientes definiciones de unidades no se pudieron cargar:\r\n\r\n")));
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("malo (Longitud): Expresion de conversión incompleta (2)")));
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("roto (Longitud): Error en \"2*(\"")));
    ShowUnitLoadNotices();
    ShowUnitLoadNotices();
    EXPECT_EQ(sink.count(), 1);
    load();
    sink.clear();
    ShowUnitLoadNotices();
    EXPECT_TRUE(sink.empty());
}

} // namespace

namespace {

TEST_F(UnitWindowTest, MagnitudeMenuGivesTheNamesOfTheClickedUnit)
{
    load();
    QMenu menu;
    menu.addAction(QStringLiteral("viejo"));
    QStringList clicked;
    BuildMagnitudeMenu(&menu, [&](const QString& m, const QString& u) { clicked << m + QLatin1Char('/') + u; });
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("Longitud"));
    QMenu* temperatura = menu.actions()[2]->menu();
    ASSERT_TRUE(temperatura);
    ASSERT_EQ(temperatura->actions().size(), 3);
    temperatura->actions()[1]->trigger();
    EXPECT_EQ(clicked, QStringList{QStringLiteral("Temperatura/grado Celsius")});
}

} // namespace
