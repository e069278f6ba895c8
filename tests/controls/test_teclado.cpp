// The on-screen keyboard: every keypad key, the list and close buttons, its
// opacity, and when it shows and hides.
#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmteclado.h"
#include "foundation/core/basicos.h"
#include "support/entrybox.h"
#include "support/recordingsink.h"

#include <QCursor>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

class TecladoTest : public EntryBoxTest {
protected:
    void SetUp() override
    {
        EntryBoxTest::SetUp();
        Basicos().Messages = &sink;
        sink.answer = idNo;
        addName(table, "pi", 0);
        addName(table, "sin", 3, 1, 1);

        window = std::make_unique<QWidget>();
        window->setGeometry(100, 100, 600, 100);
        box = new TComboExpr(window.get());
        box->setObjectName("cmbEdit");
        box->setGeometry(20, 10, 400, 24);
        window->show();
        kb = fmTeclado();
    }
    void TearDown() override
    {
        window.reset();
        EntryBoxTest::TearDown();
    }
    void mouseEnterBox()
    {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(box, &e);
    }
    void mouseLeaveBox()
    {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(box, &e);
    }
    void showFor(const QString& text, int start, int length)
    {
        box->SetText(text);
        box->SetSel(start, length);
        kb->ShowFor(box);
    }
    void press(int tag)
    {
        QPushButton* b = kb->KeyButton(tag);
        ASSERT_NE(b, nullptr) << tag;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QPoint boxGlobal(int x, int y) { return box->mapToGlobal(QPoint(x, y)); }

    RecordingSink sink;
    std::unique_ptr<QWidget> window;
    TComboExpr* box = nullptr;
    TfmTeclado* kb = nullptr;
};

} // namespace

TEST_F(TecladoTest, WindowAndControls)
{
    ASSERT_NE(kb, nullptr);
    EXPECT_EQ(kb->size(), QSize(290, 233));
    EXPECT_TRUE(kb->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(kb->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(kb->btnListado->text(), QString("Funciones y Constantes"));
    EXPECT_EQ(kb->btnCerrar->text(), QString("Cerrar"));
    EXPECT_EQ(kb->trckbrTransp->minimum(), 80);
    EXPECT_EQ(kb->trckbrTransp->maximum(), 255);
    EXPECT_EQ(kb->trckbrTransp->value(), 200);
    EXPECT_EQ(kb->trckbrTransp->toolTip(), QString("Ajustar Transparencia"));
    EXPECT_EQ(kb->KeyButton(55)->geometry(), QRect(244, 150, 42, 80));
    EXPECT_EQ(kb->KeyButton(22)->geometry(), QRect(150, 192, 90, 36));
    EXPECT_EQ(kb->KeyButton(19)->toolTip(), QString("Radical"));
    EXPECT_EQ(kb->KeyButton(15)->toolTip(), QString::fromUtf8("Incógnita"));
    EXPECT_EQ(kb->KeyButton(30)->toolTip(), QString("Ultimo resultado"));
    EXPECT_EQ(kb->KeyButton(11), nullptr);
}

TEST_F(TecladoTest, EveryCharacterKey)
{
    struct Case {
        int tag;
        const char* typed;
        int caretMove;
    } cases[] = {
        {0, "0", 1},  {1, "1", 1},  {2, "2", 1},  {3, "3", 1},   {4, "4", 1},  {5, "5", 1},
        {6, "6", 1},  {7, "7", 1},  {8, "8", 1},  {9, "9", 1},   {10, "E", 1}, {12, "%", 1},
        {13, "(", 1}, {14, ")", 1}, {15, "?", 1}, {16, "/", 1},  {17, "^", 1}, {18, "*", 1},
        {19, "\\", 1}, {20, "-", 1}, {21, ".", 1}, {22, "+", 1}, {50, "|", 1}, {30, "Rst", 3},
        {53, "Pi", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        // The key replaces the selection; the next key goes after it.
        showFor("ab[xy]cd", 2, 4);
        press(c.tag);
        EXPECT_EQ(box->Text(), QString("ab") + c.typed + "cd");
        EXPECT_EQ(kb->SavedSelStart(), 2 + c.caretMove);
        EXPECT_EQ(kb->SavedSelLength(), 0);
        press(1);
        EXPECT_EQ(box->Text(), QString("ab") + c.typed + "1cd");
    }
}

TEST_F(TecladoTest, DigitsInTheMiddleKeepTheirOrder)
{
    showFor("1+2", 2, 0);
    // The box's own caret moving in between does not matter: the keyboard
    // keeps its own.
    press(7);
    box->SetSel(0, 0);
    press(8);
    EXPECT_EQ(box->Text(), QString("1+782"));
    EXPECT_EQ(kb->SavedSelStart(), 4);
}

TEST_F(TecladoTest, RstThenPlus)
{
    showFor("2*", 2, 0);
    press(30);
    press(22);
    EXPECT_EQ(box->Text(), QString("2*Rst+"));
    EXPECT_EQ(kb->SavedSelStart(), 6);
    kb->hide();
    EXPECT_EQ(box->SelStart(), 6);
}

TEST_F(TecladoTest, Delete)
{
    showFor("abcde", 3, 0);
    press(52);
    EXPECT_EQ(box->Text(), QString("abde"));
    press(52);
    EXPECT_EQ(box->Text(), QString("ade"));
    EXPECT_EQ(kb->SavedSelStart(), 1);
    EXPECT_EQ(kb->SavedSelLength(), 0);

    // At the start nothing goes; a selection there goes.
    showFor("abc", 0, 0);
    press(52);
    EXPECT_EQ(box->Text(), QString("abc"));
    showFor("abc", 0, 2);
    press(52);
    EXPECT_EQ(box->Text(), QString("c"));
    // A selection further on goes with the character before it.
    showFor("abcde", 2, 2);
    press(52);
    EXPECT_EQ(box->Text(), QString("ae"));
    EXPECT_EQ(kb->SavedSelStart(), 1);
}

TEST_F(TecladoTest, ClearAllEmptiesTextAndHistory)
{
    AddExprHistory(box, "1+1");
    AddExprHistory(box, "2+2");
    showFor("3*4", 3, 0);
    press(51);
    EXPECT_EQ(box->Text(), QString());
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(kb->SavedSelStart(), 0);
    press(9);
    EXPECT_EQ(box->Text(), QString("9"));
}

TEST_F(TecladoTest, EnterGoesThroughTheBoxAndHides)
{
    box->SetAutoagregar(true);
    QString seen;
    box->OnKeyPress = [&](QObject*, QChar& key) {
        if (key.unicode() == 13)
            seen = box->Text();
    };
    showFor("5-1", 3, 0);
    ASSERT_TRUE(kb->isVisible());
    press(55);
    EXPECT_EQ(seen, QString("5-1"));
    EXPECT_EQ(box->Items(), QStringList({"5-1"}));
    EXPECT_FALSE(kb->isVisible());
    EXPECT_EQ(box->Text(), QString("5-1"));
}

TEST_F(TecladoTest, KeysOfTheWindow)
{
    showFor("12345", 1, 2);
    press(7);
    box->SetSel(5, 0);
    // Esc hides and gives the box back the keyboard's caret.
    QTest::keyClick(kb, Qt::Key_Escape);
    EXPECT_FALSE(kb->isVisible());
    EXPECT_EQ(box->Text(), QString("1745"));
    EXPECT_EQ(box->SelStart(), 2);
    EXPECT_EQ(box->SelLength(), 0);

    // Other keys go to the box's key-down handling.
    std::vector<int> downs;
    box->OnKeyDown = [&](QObject*, int& key, TShiftState) { downs.push_back(key); };
    showFor("1", 1, 0);
    QTest::keyClick(kb, Qt::Key_Escape);
    showFor("1", 1, 0);
    QTest::keyClick(kb, Qt::Key_Return);
    QTest::keyClick(kb, Qt::Key_A);
    EXPECT_EQ(downs, (std::vector<int>{Qt::Key_Return, Qt::Key_A}));
    EXPECT_EQ(box->Text(), QString("1"));
    EXPECT_TRUE(kb->isVisible());
}

TEST_F(TecladoTest, ListButton)
{
    // Without a name table nothing happens.
    recordListRuns();
    script = [&](TfmAutoComp& l) {
        EXPECT_EQ(l.Prefix(), QString(" "));
        EXPECT_TRUE(box->InAutoComplete());
        QTest::keyClick(l.lb, Qt::Key_Down);
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    showFor("2*", 2, 0);
    QTest::mouseClick(kb->btnListado, Qt::LeftButton);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(box->Text(), QString("2*"));

    box->SetNameTable(&table);
    box->SetAutoCompleteSuppressed(true);
    QTest::mouseClick(kb->btnListado, Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(box->AutoCompleteSuppressed());
    EXPECT_FALSE(box->InAutoComplete());
    EXPECT_EQ(box->Text(), QString("2*sin()"));
    // The keypad goes on at the caret the list left.
    press(4);
    EXPECT_EQ(box->Text(), QString("2*sin(4)"));

    // Cancelled, the blank stays.
    script = nullptr;
    showFor("1", 1, 0);
    QTest::mouseClick(kb->btnListado, Qt::LeftButton);
    EXPECT_EQ(box->Text(), QString("1 "));
}

TEST_F(TecladoTest, CloseButtonAsksAndSwitchesOffThroughTheOwner)
{
    int switchedOff = 0;
    kb->OnSwitchOff = [&] { ++switchedOff; };
    ComboExpr().KeyboardEnabled = true;
    showFor("", 0, 0);

    sink.answer = idNo;
    QTest::mouseClick(kb->btnCerrar, Qt::LeftButton);
    EXPECT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QString("Teclado en Pantalla"));
    EXPECT_EQ(sink.last().text, QString::fromUtf8("¿Desactiva el teclado en pantalla?\r\n\r\nPuede activarlo cuando desee "
                                           "desde \r\nel menú Configurar>Mostrar Teclado"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconQuestion);
    EXPECT_EQ(switchedOff, 0);
    EXPECT_TRUE(kb->isVisible());
    EXPECT_TRUE(ComboExpr().KeyboardEnabled);

    sink.answer = idYes;
    QTest::mouseClick(kb->btnCerrar, Qt::LeftButton);
    EXPECT_EQ(switchedOff, 1);

    // Without an owner the switch is cleared here.
    kb->OnSwitchOff = nullptr;
    QTest::mouseClick(kb->btnCerrar, Qt::LeftButton);
    EXPECT_FALSE(ComboExpr().KeyboardEnabled);
    EXPECT_FALSE(kb->isVisible());
}

TEST_F(TecladoTest, Opacity)
{
    EXPECT_EQ(kb->AlphaBlendValue(), 220);
    EXPECT_NEAR(kb->windowOpacity(), 220 / 255.0, 0.01);
    kb->trckbrTransp->setValue(kb->trckbrTransp->minimum());
    EXPECT_EQ(kb->AlphaBlendValue(), 80);
    EXPECT_NEAR(kb->windowOpacity(), 80 / 255.0, 0.01);
    QTest::keyClick(kb->trckbrTransp, Qt::Key_End);   // even without the focus the bar moves by keys sent to it
    EXPECT_EQ(kb->AlphaBlendValue(), 255);
}

TEST_F(TecladoTest, ShownWhenTheMouseEntersTheBox)
{
    struct Case {
        bool enabled;
        bool teclado;
        bool shown;
    } cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.enabled) + std::to_string(c.teclado));
        kb->hide();
        ComboExpr().KeyboardEnabled = c.enabled;
        box->SetTeclado(c.teclado);
        mouseEnterBox();
        EXPECT_EQ(kb->isVisible(), c.shown);
    }
    EXPECT_EQ(kb->Combo(), box);
    // Centred under the box, the halving truncated toward zero.
    EXPECT_EQ(kb->pos(), boxGlobal((400 - 290) / 2, 24));
    kb->hide();
    box->resize(201, 24);
    mouseEnterBox();
    EXPECT_EQ(kb->pos(), boxGlobal(-44, 24));

    // Switching Teclado off hides it.
    box->SetTeclado(false);
    EXPECT_FALSE(kb->isVisible());
}

TEST_F(TecladoTest, OneHideRuleForLeavingAndForTheTimer)
{
    ComboExpr().KeyboardEnabled = true;
    box->resize(200, 24);   // narrower than the keyboard
    showFor("1+2", 1, 1);
    mouseEnterBox();
    ASSERT_TRUE(kb->isVisible());
    const QPoint kbOrigin = kb->pos();

    struct Case {
        const char* where;
        QPoint global;
        bool stays;
    } cases[] = {
        {"over the box", boxGlobal(100, 12), true},
        {"over the keyboard under the box", kbOrigin + QPoint(145, 100), true},
        {"over the keyboard beyond the box's left edge", kbOrigin + QPoint(5, 200), true},
        {"over the keyboard beyond the box's right edge", kbOrigin + QPoint(285, 5), true},
        {"beside the box, above the keyboard", boxGlobal(-30, 12), false},
        {"below the keyboard", kbOrigin + QPoint(145, 240), false},
        {"far away", QPoint(0, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(kb->PointerKeepsKeyboard(c.global), c.stays);

        kb->ShowFor(box);
        QCursor::setPos(c.global);
        ASSERT_EQ(QCursor::pos(), c.global);
        mouseLeaveBox();
        EXPECT_EQ(kb->isVisible(), c.stays);

        kb->ShowFor(box);
        kb->tmr1Timer();
        EXPECT_EQ(kb->isVisible(), c.stays);
    }
}

TEST_F(TecladoTest, HidingGivesTheBoxItsCaretBack)
{
    showFor("abcdef", 2, 3);
    box->SetSel(6, 0);
    kb->hide();
    EXPECT_EQ(box->SelStart(), 2);
    EXPECT_EQ(box->SelLength(), 3);
}

TEST_F(TecladoTest, TheBoxWindowStaysOpaqueWhileTheKeyboardIsActive)
{
    // The window is translucent while inactive.
    FormMXSettings().TranspInactive = true;
    FormMXSettings().TranspPercent = 40;
    TFormMX form;
    form.setGeometry(50, 50, 500, 80);
    auto* other = new TComboExpr(&form);
    other->setGeometry(10, 10, 300, 24);
    form.setAlphaBlendValue(150);
    form.setAlphaBlend(true);
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        GTEST_SKIP() << "the window system does not activate windows";
    other->SetText("1");
    kb->ShowFor(other);
    kb->activateWindow();
    if (!QTest::qWaitForWindowActive(kb))
        GTEST_SKIP() << "the window system does not activate windows";
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.AlphaBlend());
    FormMXSettings().reset();
}
