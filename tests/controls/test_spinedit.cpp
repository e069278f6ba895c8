// The spin edit: reading and writing the value, bounds, steps, keys, leaving
// the box with a value outside its bounds, the spin button's repeat.
#include "controls/spinedit.h"
#include "support/fixtures.h"

#include "controls/rxstrutils.h"
#include "foundation/core/basicos.h"
#include "mouse.h"
#include "support/recordingsink.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

namespace {

class CountingSpin : public TRxSpinEdit {
public:
    int beeps = 0;
protected:
    void Beep() override { ++beeps; }
};

struct SpinFixture : ProcessStateTest {
    CountingSpin spin;
    int changes = 0, tops = 0, bottoms = 0;
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        spin.setObjectName(QStringLiteral("SpinEdit1"));
        spin.OnChange = [this](QObject*) { ++changes; };
        spin.OnTopClick = [this](QObject*) { ++tops; };
        spin.OnBottomClick = [this](QObject*) { ++bottoms; };
    }
};

} // namespace

TEST(SpinEdit, Defaults)
{
    TRxSpinEdit s;
    EXPECT_EQ(s.text(), QStringLiteral("0"));
    EXPECT_EQ(s.Value(), 0);
    EXPECT_EQ(s.ValueType(), vtInteger);
    EXPECT_EQ(s.Increment(), 1);
    EXPECT_EQ(s.Decimal(), 2);
    EXPECT_EQ(s.ButtonKind(), bkDiagonal);
    EXPECT_FALSE(s.CheckMinValue());
    EXPECT_FALSE(s.CheckMaxValue());
    EXPECT_TRUE(s.EditorEnabled);
    EXPECT_TRUE(s.ArrowKeys);
    EXPECT_FALSE(s.CheckOnExit);
    EXPECT_GE(s.minimumHeight(), s.fontMetrics().height() + 5);
}

TEST_F(SpinFixture, AMaximumAloneSwitchesBothChecksOn)
{
    spin.setMaxValue(6000);
    EXPECT_TRUE(spin.CheckMinValue());
    EXPECT_TRUE(spin.CheckMaxValue());
    spin.setText(QStringLiteral("-5"));
    spin.setCheckMinValue(true); // any change of a check writes the value again, clamped
    EXPECT_EQ(spin.text(), QStringLiteral("0"));
    spin.setMaxValue(0); // both bounds 0: the checks go off
    EXPECT_FALSE(spin.CheckMinValue());
    EXPECT_FALSE(spin.CheckMaxValue());
    spin.setMinValue(3);
    spin.setCheckMinValue(false); // stays on while the bound is not 0
    EXPECT_TRUE(spin.CheckMinValue());
}

TEST_F(SpinFixture, SteppingUpStopsAtTheMaximum)
{
    spin.setMaxValue(6000);
    spin.setIncrement(5);
    spin.setValue(5998);
    changes = 0;
    spin.UpClick();
    EXPECT_EQ(spin.text(), QStringLiteral("6000"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tops, 1);
    EXPECT_TRUE(spin.isModified());
    // at the bound the text does not change: no OnChange, but OnTopClick still
    spin.UpClick();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tops, 2);
    spin.DownClick();
    EXPECT_EQ(spin.text(), QStringLiteral("5995"));
    EXPECT_EQ(bottoms, 1);
}

TEST_F(SpinFixture, ReadOnlyBoxBeepsInsteadOfStepping)
{
    spin.setReadOnly(true);
    spin.UpClick();
    EXPECT_EQ(spin.beeps, 1);
    EXPECT_EQ(spin.text(), QStringLiteral("0"));
    EXPECT_EQ(tops, 0);
}

TEST_F(SpinFixture, LeavingWithoutCheckClampsTheValue)
{
    spin.setMaxValue(6000);
    spin.setText(QStringLiteral("7000"));
    spin.CheckOnLeaving();
    EXPECT_EQ(spin.text(), QStringLiteral("6000"));
    EXPECT_FALSE(spin.Focused());
}

TEST_F(SpinFixture, LeavingWithCheckOnExitRaisesTheRangeError)
{
    spin.setMaxValue(6000);
    spin.CheckOnExit = true;
    spin.setText(QStringLiteral("7000"));
    try {
        spin.CheckOnLeaving();
        FAIL() << "no range error";
    } catch (const ERangeError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("El valor debe estar entre 0 y 6000"));
    }
    EXPECT_TRUE(spin.Focused());
    EXPECT_EQ(spin.selectedText(), QStringLiteral("7000"));
    EXPECT_EQ(spin.text(), QStringLiteral("7000"));
    spin.setMinValue(-2.5);
    EXPECT_EQ(spin.RangeErrorText(), QStringLiteral("El valor debe estar entre -2.5 y 6000"));
}

TEST_F(SpinFixture, FocusLossWithABadValueShowsTheErrorAndKeepsTheFocus)
{
    RecordingSink sink;
    Basicos().Messages = &sink;
    QWidget w;
    auto* s = new TRxSpinEdit(&w);
    auto* other = new QLineEdit(&w);
    s->setMaxValue(6000);
    s->CheckOnExit = true;
    other->move(0, 40);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    s->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(s->hasFocus());
    s->setText(QStringLiteral("7000"));
    other->setFocus(); // the exception is ended inside the handler, never inside Qt
    QApplication::processEvents();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("El valor debe estar entre 0 y 6000"));
    EXPECT_EQ(sink.boxes[0].caption, Basicos().ApplicationTitle);
    EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, mb::IconError);
    EXPECT_TRUE(s->hasFocus());
    Basicos().reset();
}

TEST_F(SpinFixture, ReadingTextsThatAreNoNumber)
{
    spin.setMinValue(2.6);
    spin.setText(QString());
    EXPECT_EQ(spin.Value(), 3); // the minimum, rounded for an integer box
    spin.setText(QStringLiteral("x1"));
    EXPECT_EQ(spin.Value(), 3);
    spin.setText(QStringLiteral(" 42"));
    EXPECT_EQ(spin.Value(), 42);

    TRxSpinEdit f;
    f.setValueType(vtFloat);
    f.setDisplayFormat(QStringLiteral(",0.##"));
    f.setText(QString());
    EXPECT_EQ(f.Value(), 0);
    f.setText(QStringLiteral(" 1 234,5 "));
    EXPECT_EQ(f.Value(), 1234.5L);
    f.setText(QStringLiteral("-"));
    EXPECT_EQ(f.Value(), 0);
    EXPECT_TRUE(std::signbit(f.Value()));
}

TEST(SpinEdit, WritingTheValueByKind)
{
    TRxSpinEdit s;
    s.setValue(41.5);
    EXPECT_EQ(s.text(), QStringLiteral("42")); // halves to even
    s.setValue(42.5);
    EXPECT_EQ(s.text(), QStringLiteral("42"));
    s.setValueType(vtHex);
    s.setValue(255);
    EXPECT_EQ(s.text(), QStringLiteral("FF"));
    EXPECT_EQ(s.Value(), 255);
    s.setValueType(vtFloat);
    EXPECT_EQ(s.text(), QStringLiteral("255.00"));
    s.setValue(1.5);
    EXPECT_EQ(s.text(), QStringLiteral("1.50"));
    s.setDisplayFormat(QStringLiteral(",0.##"));
    s.setValue(1234.5);
    EXPECT_EQ(s.text(), QStringLiteral("1 234.5"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 2), QStringLiteral("2.00"));
    EXPECT_EQ(FormatFloat(QStringLiteral("#.##"), 0.5), QStringLiteral(".5"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.#"), -0.04), QStringLiteral("0"));
}

TEST(SpinEdit, ChangingToAnIntegerKindRoundsTheIncrement)
{
    struct Case {
        long double inc, expected;
    } cases[] = {{0.4L, 1}, {2.6L, 3}, {5, 5}, {-0.2L, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.inc));
        TRxSpinEdit s;
        s.setValueType(vtFloat);
        s.setIncrement(c.inc);
        s.setValueType(vtInteger);
        EXPECT_EQ(s.Increment(), c.expected);
    }
}

TEST_F(SpinFixture, TypingOnlyWhatMakesANumber)
{
    QTest::keyClicks(&spin, QStringLiteral("12"));
    EXPECT_EQ(spin.text(), QStringLiteral("012"));
    QTest::keyClick(&spin, Qt::Key_A);
    EXPECT_EQ(spin.beeps, 1);
    EXPECT_EQ(spin.text(), QStringLiteral("012"));
    QTest::keyClick(&spin, Qt::Key_Period);
    EXPECT_EQ(spin.beeps, 2);

    CountingSpin hex;
    hex.setValueType(vtHex);
    hex.clear();
    QTest::keyClicks(&hex, QStringLiteral("aF9"));
    EXPECT_EQ(hex.text(), QStringLiteral("aF9"));
    EXPECT_EQ(hex.beeps, 0);
    QTest::keyClick(&hex, Qt::Key_G);
    EXPECT_EQ(hex.beeps, 1);

    CountingSpin fl;
    fl.setValueType(vtFloat);
    fl.clear();
    QTest::keyClicks(&fl, QStringLiteral("1.5e3"));
    EXPECT_EQ(fl.text(), QStringLiteral("1.5e3"));
    QTest::keyClick(&fl, Qt::Key_Period); // a second separator
    QTest::keyClick(&fl, Qt::Key_E);      // a second exponent
    EXPECT_EQ(fl.beeps, 2);
    EXPECT_EQ(fl.text(), QStringLiteral("1.5e3"));
}

TEST_F(SpinFixture, EditorDisabledRefusesTyping)
{
    spin.EditorEnabled = false;
    spin.end(false);
    QTest::keyClick(&spin, Qt::Key_5);
    QTest::keyClick(&spin, Qt::Key_Backspace);
    EXPECT_EQ(spin.text(), QStringLiteral("0"));
    EXPECT_EQ(spin.beeps, 2);
    QTest::keyClick(&spin, Qt::Key_Up); // the arrows still step
    EXPECT_EQ(spin.text(), QStringLiteral("1"));
}

TEST_F(SpinFixture, ArrowKeysStepUnlessSwitchedOff)
{
    QTest::keyClick(&spin, Qt::Key_Up);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("2"));
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.text(), QStringLiteral("1"));
    EXPECT_EQ(tops, 2);
    EXPECT_EQ(bottoms, 1);
    spin.ArrowKeys = false;
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("1"));
}

TEST_F(SpinFixture, PastingSomethingThatIsNoNumberPutsTheValueBack)
{
    spin.setValue(17);
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    spin.selectAll();
    QTest::keySequence(&spin, QKeySequence::Paste);
    EXPECT_EQ(spin.text(), QStringLiteral("17"));
    QGuiApplication::clipboard()->setText(QStringLiteral("250"));
    spin.selectAll();
    QTest::keySequence(&spin, QKeySequence::Paste);
    EXPECT_EQ(spin.text(), QStringLiteral("250"));
    spin.EditorEnabled = false;
    QGuiApplication::clipboard()->setText(QStringLiteral("9"));
    spin.selectAll();
    QTest::keySequence(&spin, QKeySequence::Paste);
    EXPECT_EQ(spin.text(), QStringLiteral("250"));
}

TEST(SpinButton, HoldingStepsAtOnceThenAfter400ThenEvery100)
{
    TRxSpinButton b(bkClassic);
    b.resize(15, 20);
    int ups = 0, downs = 0;
    b.OnTopClick = [&](QObject*) { ++ups; };
    b.OnBottomClick = [&](QObject*) { ++downs; };
    press(&b, QPoint(7, 3));
    EXPECT_EQ(ups, 1);
    EXPECT_TRUE(b.RepeatTimer().isActive());
    EXPECT_EQ(b.RepeatTimer().interval(), 400);
    b.RepeatTick();
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(b.RepeatTimer().interval(), 100);
    b.RepeatTick();
    EXPECT_EQ(ups, 3);
    release(&b, QPoint(7, 3));
    EXPECT_FALSE(b.RepeatTimer().isActive());
    press(&b, QPoint(7, 15));
    EXPECT_EQ(downs, 1);
    release(&b, QPoint(7, 15));
}

TEST(SpinButton, DiagonalSplit)
{
    TRxSpinButton b(bkDiagonal);
    b.resize(15, 20);
    struct Case {
        QPoint p;
        bool up;
    } cases[] = {{{0, 0}, true}, {{14, 19}, false}, {{1, 17}, true}, {{10, 10}, false}, {{12, 2}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x() << "," << c.p.y());
        EXPECT_EQ(b.IsUpHalf(c.p), c.up);
    }
    b.setKind(bkClassic);
    EXPECT_FALSE(b.IsUpHalf(QPoint(0, 12)));
    EXPECT_TRUE(b.IsUpHalf(QPoint(14, 9)));
}

TEST(SpinEdit, TheButtonStepsTheBox)
{
    TRxSpinEdit s;
    s.resize(80, 24);
    s.setButtonKind(bkClassic);
    TRxSpinButton* b = s.Button();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->geometry().right(), s.width() - 1);
    press(b, QPoint(5, 2));
    release(b, QPoint(5, 2));
    EXPECT_EQ(s.text(), QStringLiteral("1"));
    s.setButtonKind(bkStandard);
    EXPECT_LE(b->width(), 15);
}

TEST(SpinEdit, CursorsAreRegistered)
{
    RegisterRxCursors();
    EXPECT_EQ(ScreenCursor(crRxHand).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(ScreenCursor(crRxDrag).shape(), Qt::DragMoveCursor);
    EXPECT_EQ(ScreenCursor(9).shape(), Qt::ArrowCursor);
}

TEST(RxStrUtils, StringRoutines)
{
    EXPECT_EQ(ReplaceStr(QStringLiteral("a.b.c"), QStringLiteral("."), QStringLiteral("::")), QStringLiteral("a::b::c"));
    EXPECT_EQ(ReplaceStr(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
    EXPECT_EQ(DelChars(QStringLiteral("1 234 567"), u' '), QStringLiteral("1234567"));
    EXPECT_EQ(DelBSpace(QStringLiteral("  a b ")), QStringLiteral("a b "));
    EXPECT_EQ(DelESpace(QStringLiteral("  a b  ")), QStringLiteral("  a b"));
    EXPECT_EQ(DelBESpace(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(MakeStr(u'#', 3), QStringLiteral("###"));
    EXPECT_EQ(MakeStr(u'#', 0), QString());
    EXPECT_EQ(MakeStr(u'#', -2), QString());
}
