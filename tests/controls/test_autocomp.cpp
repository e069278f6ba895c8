// The autocomplete list: entry texts, filling from a name table, the order and
// the walk by prefix, and the keys and timer cycles that accept or close it.
#include "controls/credits.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "support/entrybox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace {

void fillStandard(TestTable& t)
{
    addName(t, "sin", 3, 1, 1);
    addName(t, "sinh", 3, 1, 1);
    addName(t, "sqrt", 3, 1, 1);
    addName(t, "cos", 3, 1, 1);
    addName(t, "max", 4, 2, 3);
    addName(t, "pi", 0);
    addName(t, "x", 1);
    addName(t, "Rnd", 2);
    addName(t, "_sec", 3, 1, 1);
}

class AutoCompTest : public EntryBoxTest {
protected:
    void SetUp() override
    {
        EntryBoxTest::SetUp();
        fillStandard(table);
        source = MakeNameSource(&table);
        edit.setText(QString());
    }

    // Types `typed` at the caret of the edit and opens the list; `play`
    // plays the user's keys while the list is open (they must close it).
    void open(QChar typed, const std::function<void(TfmAutoComp&)>& play)
    {
        runs = 0;
        script = [&](TfmAutoComp& l) {
            play(l);
            EXPECT_FALSE(l.Running()) << "the keys played close the list";
        };
        recordListRuns();
        EnsureAutoComp()->ShowForEdit(&edit, source.get(), typed);
        EXPECT_EQ(typed, QChar(0));
        EXPECT_EQ(runs, 1);
        EXPECT_FALSE(fmAutoComp()->Running());
        AutoComp().OnShown = nullptr;
        script = nullptr;
    }
    void setText(const QString& s, int caret)
    {
        edit.setText(s);
        edit.setCursorPosition(caret);
    }
    QString selectedText(TfmAutoComp& l) { return l.Selected() < 0 ? QString() : l.ItemText(l.Selected()); }

    std::shared_ptr<const TAutoCompSource> source;
    QLineEdit edit;
};

} // namespace

TEST(AutoCompEntry, TextsAndIcons)
{
    struct Case {
        TAutoCompName name;
        const char* text;
        int icon;
    } cases[] = {
        {{"pi", 0, 0, 0, ""}, "pi - Const", 0},
        {{"x", 1, 0, 0, ""}, "x - Variable", 1},
        {{"Rnd", 2, 0, 0, ""}, "Rnd - Entorno", 2},
        {{"sin", 3, 1, 1, ""}, "sin( ) - Func", 3},
        {{"Rst", 3, 0, 1, ""}, "Rst - Func", 3},
        {{"max", 4, 2, 3, ""}, "max( , {3}) - Func", 3},
        {{"hyp", 4, 2, 2, ""}, "hyp( , ) - Func", 3},
        {{"sum", 4, 1, 5, ""}, "sum( {5}) - Func", 3},
        {{"avg", 4, 0, 9, ""}, "avg( {9}) - Func", 3},
        {{"f", 5, 2, 2, "área"}, "f( , ) - Pers: área", 4},
        {{"e", 0, 0, 0, "número de Euler"}, "e - Const: número de Euler", 0},
        {{"_oculto", 0, 0, 0, ""}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AutoCompEntryText(c.name), QString::fromUtf8(c.text));
        EXPECT_EQ(AutoCompIconIndex(c.name.Kind), c.icon);
    }
}

TEST(AutoCompEntry, InsertTextAndOrder)
{
    EXPECT_EQ(AutoCompInsertText("max( , {3}) - Func"), QString("max(,{3})"));
    EXPECT_EQ(AutoCompInsertText("pi - Const: número pi"), QString("pi"));
    // Letters without regard to case, everything else by its code.
    EXPECT_LT(AutoCompCompare("pi", "Rnd"), 0);
    EXPECT_EQ(AutoCompCompare("SIN", "sin"), 0);
    EXPECT_LT(AutoCompCompare("s", "sin( ) - Func"), 0);
    EXPECT_GT(AutoCompCompare("sinh", "sin( ) - Func"), 0);
    EXPECT_GT(AutoCompCompare("_", "Z"), 0);
}

TEST_F(AutoCompTest, FilledSortedAndWithoutHiddenNames)
{
    setText("s", 1);
    open(QChar(0), [](TfmAutoComp& l) { QTest::keyClick(l.lb, Qt::Key_Escape); });
    TfmAutoComp* l = fmAutoComp();
    const QStringList expected = {"cos( ) - Func", "max( , {3}) - Func", "pi - Const", "Rnd - Entorno",
                                  "sin( ) - Func", "sinh( ) - Func", "sqrt( ) - Func", "x - Variable"};
    QStringList got;
    for (int i = 0; i < l->Count(); ++i)
        got << l->ItemText(i);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(l->ItemIcon(2), 0);
    EXPECT_EQ(l->ItemIcon(3), 2);
    EXPECT_EQ(l->ItemIcon(7), 1);
    EXPECT_EQ(l->CachedTable(), static_cast<const void*>(&table));
}

TEST_F(AutoCompTest, OnlyHiddenNamesGiveAnEmptyList)
{
    TestTable hidden;
    addName(hidden, "_a", 0);
    addName(hidden, "_b", 1);
    source = MakeNameSource(&hidden);
    setText("q", 1);
    open(QChar(0), [](TfmAutoComp& l) {
        EXPECT_EQ(l.Count(), 0);
        EXPECT_EQ(l.Selected(), -1);
        // Nothing to accept: the list stays open and the text as typed.
        QTest::keyClick(l.lb, Qt::Key_Return);
        EXPECT_TRUE(l.Running());
        QTest::keyClick(l.lb, Qt::Key_5);
        EXPECT_TRUE(l.Running());
        QTest::keyClick(l.lb, Qt::Key_Escape);
    });
    EXPECT_EQ(edit.text(), QString("q"));
    EXPECT_EQ(fmAutoComp()->ModalResult(), TfmAutoComp::mrCancel);
}

TEST_F(AutoCompTest, RefillRules)
{
    int loads = 0;
    EnsureAutoComp()->OnCargarLista = [&](QObject* sender) {
        EXPECT_EQ(sender, fmAutoComp());
        ++loads;
    };
    auto openOnce = [&] {
        setText("s", 1);
        open(QChar(0), [](TfmAutoComp& l) { QTest::keyClick(l.lb, Qt::Key_Escape); });
    };
    // "_sec" gives no entry: as many entries as names never holds, so every
    // opening fills again.
    openOnce();
    openOnce();
    EXPECT_EQ(loads, 2);

    // A table without hidden names is kept between openings...
    TestTable plain;
    addName(plain, "sin", 3, 1, 1);
    addName(plain, "pi", 0);
    source = MakeNameSource(&plain);
    openOnce();
    openOnce();
    EXPECT_EQ(loads, 3);
    // ...until it gains a name.
    addName(plain, "tan", 3, 1, 1);
    openOnce();
    EXPECT_EQ(loads, 4);
    EXPECT_EQ(fmAutoComp()->Count(), 3);

    // An owner that adds entries of its own makes every opening fill again.
    fmAutoComp()->OnCargarLista = [&](QObject*) {
        ++loads;
        fmAutoComp()->AddItem("NaCl - Quim", 2);
    };
    addName(plain, "cot", 3, 1, 1);
    openOnce();
    openOnce();
    openOnce();
    EXPECT_EQ(loads, 7);
    EXPECT_EQ(fmAutoComp()->Count(), 5);
    EXPECT_EQ(fmAutoComp()->ItemText(1), QString("NaCl - Quim"));
}

TEST_F(AutoCompTest, LetterAfterOperatorWalksAndEnterAccepts)
{
    setText("2+", 2);
    open(QChar('s'), [&](TfmAutoComp& l) {
        EXPECT_EQ(edit.text(), QString("2+s"));
        EXPECT_EQ(l.Before(), QString("2+"));
        EXPECT_EQ(l.Prefix(), QString("s"));
        EXPECT_EQ(l.After(), QString());
        EXPECT_EQ(selectedText(l), QString("sin( ) - Func"));
        QTest::keyClick(l.lb, Qt::Key_I);
        QTest::keyClick(l.lb, Qt::Key_N);
        QTest::keyClick(l.lb, Qt::Key_H);
        EXPECT_EQ(selectedText(l), QString("sinh( ) - Func"));
        // The typed letters show in the control while the list is open.
        EXPECT_EQ(edit.text(), QString("2+sinh"));
        EXPECT_EQ(edit.cursorPosition(), 6);
        QTest::keyClick(l.lb, Qt::Key_Backspace);
        EXPECT_EQ(selectedText(l), QString("sin( ) - Func"));
        QTest::keyClick(l.lb, Qt::Key_Q);   // "sinq" sorts after every "sin..."
        EXPECT_EQ(selectedText(l), QString("sqrt( ) - Func"));
        QTest::keyClick(l.lb, Qt::Key_Return);
    });
    EXPECT_EQ(edit.text(), QString("2+sqrt()"));
    EXPECT_EQ(edit.cursorPosition(), 7);
    EXPECT_EQ(fmAutoComp()->ModalResult(), TfmAutoComp::mrOk);
    EXPECT_FALSE(AutoComp().AutoCompleteCancelled);
}

TEST_F(AutoCompTest, AcceptingKeysPlaceTheCaret)
{
    struct Case {
        const char* name;
        Qt::Key key;
        char typedChar;      // typed through keyClick(char) when not 0
        const char* prefix;  // letters typed before accepting
        const char* text;
        int caret;
    } cases[] = {
        {"Enter", Qt::Key_Return, 0, "m", "1*max(,{3})-x", 6},
        {"blank", Qt::Key_Space, ' ', "m", "1*max(,{3})-x", 6},
        {"paren", Qt::Key_ParenLeft, '(', "m", "1*max(,{3})-x", 6},
        {"comma", Qt::Key_Comma, ',', "m", "1*max(,{3})-x", 7},
        {"left arrow", Qt::Key_Left, 0, "m", "1*max(,{3})-x", 5},
        {"right arrow", Qt::Key_Right, 0, "m", "1*max(,{3})-x", 7},
        {"digit into the parenthesis", Qt::Key_7, '7', "m", "1*max(7,{3})-x", 7},
        {"operator after a constant", Qt::Key_Plus, '+', "p", "1*pi+-x", 5},
        {"Enter on a constant", Qt::Key_Return, 0, "p", "1*pi-x", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setText("1*-x", 2);
        open(QChar(c.prefix[0]), [&](TfmAutoComp& l) {
            if (c.typedChar)
                QTest::keyClick(l.lb, c.typedChar);
            else
                QTest::keyClick(l.lb, c.key);
        });
        EXPECT_EQ(edit.text(), QString(c.text));
        EXPECT_EQ(edit.cursorPosition(), c.caret);
    }
}

TEST_F(AutoCompTest, DoubleClickAndArrowsUpDown)
{
    setText("", 0);
    open(QChar('c'), [&](TfmAutoComp& l) {
        EXPECT_EQ(selectedText(l), QString("cos( ) - Func"));
        QTest::keyClick(l.lb, Qt::Key_Down);
        EXPECT_EQ(selectedText(l), QString("max( , {3}) - Func"));
        QTest::keyClick(l.lb, Qt::Key_Down);
        EXPECT_EQ(selectedText(l), QString("pi - Const"));
        QTest::keyClick(l.lb, Qt::Key_Return);
    });
    EXPECT_EQ(edit.text(), QString("pi"));

    setText("", 0);
    open(QChar('x'), [&](TfmAutoComp& l) {
        QListWidgetItem* item = l.lb->item(3);
        const QRect r = l.lb->visualItemRect(item);
        QTest::mouseClick(l.lb->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(l.lb->viewport(), Qt::LeftButton, {}, r.center());
    });
    EXPECT_EQ(edit.text(), QString("Rnd"));
}

TEST_F(AutoCompTest, PrefixAfterEveryEntrySelectsNothing)
{
    setText("1+", 2);
    open(QChar('z'), [&](TfmAutoComp& l) {
        EXPECT_EQ(l.Selected(), -1);
        QTest::keyClick(l.lb, Qt::Key_Return);   // nothing to accept
        EXPECT_TRUE(l.Running());
        QTest::keyClick(l.lb, Qt::Key_Backspace); // back to an empty prefix: the first entry
        EXPECT_EQ(selectedText(l), QString("cos( ) - Func"));
        QTest::keyClick(l.lb, Qt::Key_Return);
    });
    EXPECT_EQ(edit.text(), QString("1+cos()"));
    EXPECT_EQ(edit.cursorPosition(), 6);
}

TEST_F(AutoCompTest, EscRestoresTheTypedText)
{
    setText("ab+c", 3);
    open(QChar('s'), [&](TfmAutoComp& l) {
        EXPECT_EQ(l.After(), QString("c"));
        QTest::keyClick(l.lb, Qt::Key_Q);
        QTest::keyClick(l.lb, Qt::Key_Tab);      // an ignored code: nothing
        EXPECT_TRUE(l.Running());
        // Delete types no character, even where the window system gives it the text DEL.
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
        QCoreApplication::sendEvent(l.lb, &del);
        EXPECT_TRUE(l.Running());
        QTest::keyClick(l.lb, Qt::Key_Escape);
    });
    EXPECT_EQ(edit.text(), QString("ab+sqc"));
    EXPECT_EQ(edit.cursorPosition(), 5);
    EXPECT_TRUE(AutoComp().AutoCompleteCancelled);
    EXPECT_EQ(fmAutoComp()->ModalResult(), TfmAutoComp::mrCancel);
}

TEST_F(AutoCompTest, IdleCyclesCloseTheListAsEsc)
{
    // Four passes of the credits control after opening.
    setText("", 0);
    int passes = 0;
    open(QChar('s'), [&](TfmAutoComp& l) {
        EXPECT_EQ(l.IdleCount(), 4);
        while (l.Running() && passes < 10) {
            l.ScrollCredits1AfterLastCredit(l.ScrollCredits1);
            ++passes;
        }
    });
    EXPECT_EQ(passes, 4);
    EXPECT_EQ(edit.text(), QString("s"));
    EXPECT_TRUE(AutoComp().AutoCompleteCancelled);

    // Three after the last key.
    AutoComp().AutoCompleteCancelled = false;
    passes = 0;
    setText("", 0);
    open(QChar('s'), [&](TfmAutoComp& l) {
        l.ScrollCredits1AfterLastCredit(l.ScrollCredits1);
        l.ScrollCredits1AfterLastCredit(l.ScrollCredits1);
        QTest::keyClick(l.lb, Qt::Key_I);
        EXPECT_EQ(l.IdleCount(), 3);
        while (l.Running() && passes < 10) {
            l.ScrollCredits1AfterLastCredit(l.ScrollCredits1);
            ++passes;
        }
    });
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(edit.text(), QString("si"));
    EXPECT_TRUE(AutoComp().AutoCompleteCancelled);

    // The credits control is the list's timer: 80 ms, running from creation on.
    EXPECT_EQ(fmAutoComp()->ScrollCredits1->Interval(), 80u);
    EXPECT_TRUE(fmAutoComp()->ScrollCredits1->Animate());
    EXPECT_TRUE(fmAutoComp()->ScrollCredits1->Continuo());
}

TEST_F(AutoCompTest, ClickingElsewhereClosesWithOk)
{
    setText("1+", 2);
    open(QChar('p'), [&](TfmAutoComp& l) {
        QTest::keyClick(l.lb, Qt::Key_I);
        l.hide();   // what the window system does when the user clicks elsewhere
    });
    EXPECT_EQ(fmAutoComp()->ModalResult(), TfmAutoComp::mrOk);
    EXPECT_EQ(edit.text(), QString("1+pi"));
    EXPECT_EQ(edit.cursorPosition(), 4);
    EXPECT_FALSE(AutoComp().AutoCompleteCancelled);
}

TEST_F(AutoCompTest, F1AsksHelpForTheName)
{
    QString asked;
    int icon = -1;
    EnsureAutoComp()->OnHelpRequest = [&](const QString& name, int kind) {
        asked = name;
        icon = kind;
    };
    setText("", 0);
    open(QChar('m'), [&](TfmAutoComp& l) {
        QTest::keyClick(l.lb, Qt::Key_F1);
        EXPECT_TRUE(l.Running());
        QTest::keyClick(l.lb, Qt::Key_Escape);
    });
    EXPECT_EQ(asked, QString("max"));
    EXPECT_EQ(icon, 3);
}

TEST_F(AutoCompTest, ListUnderTheControl)
{
    edit.move(100, 100);
    edit.resize(200, 20);
    edit.show();
    setText("12345", 5);
    open(QChar('s'), [&](TfmAutoComp& l) {
        const QPoint origin = edit.mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(l.pos(), QPoint(origin.x() + 5 * 6, origin.y() + edit.height()))
            << l.size().width() << "x" << l.size().height() << " screen " << l.screen()->geometry().height();
        // At least the designed width; whole rows, no half row at the bottom.
        EXPECT_GE(l.width(), 298);
        EXPECT_LE(l.height(), 204);
        const int row = l.lb->visualItemRect(l.lb->item(0)).height();
        ASSERT_GT(row, 0);
        EXPECT_EQ(l.lb->viewport()->height() % row, 0);
        // Every entry fits its row: no description cut at the right edge.
        for (int i = 0; i < l.lb->count(); ++i)
            EXPECT_LE(l.lb->sizeHintForIndex(l.lb->model()->index(i, 0)).width(), l.lb->viewport()->width())
                << l.lb->item(i)->text().toStdString();
        QTest::keyClick(l.lb, Qt::Key_Escape);
        QTest::keyClick(l.lb, Qt::Key_Escape);
    });
}

TEST_F(AutoCompTest, MemoUnderTheCaretLine)
{
    QPlainTextEdit memo;
    memo.resize(300, 200);
    memo.move(50, 50);
    memo.show();
    memo.setPlainText("a=1\nb=2*");
    QTextCursor c = memo.textCursor();
    c.setPosition(8);
    memo.setTextCursor(c);
    QChar typed('p');
    AutoComp().OnShown = [&](TfmAutoComp& l) {
        EXPECT_EQ(l.Before(), QString("a=1\nb=2*"));
        EXPECT_EQ(l.Prefix(), QString("p"));
        const QRect caret = memo.cursorRect();
        EXPECT_GE(l.y(), memo.viewport()->mapToGlobal(caret.bottomLeft()).y());
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    EnsureAutoComp()->ShowForEdit(&memo, source.get(), typed);
    EXPECT_EQ(typed, QChar(0));
    EXPECT_EQ(memo.toPlainText(), QString("a=1\nb=2*pi"));
    EXPECT_EQ(memo.textCursor().position(), 10);
}

TEST_F(AutoCompTest, TypingACallOutToItsParenthesisStepsOverTheOneTheListInserted)
{
    struct Case {
        const char* before;   // the text, the caret at the "|"
        const char* typed;    // typed after the list closed
        const char* text;
        int caret;
    } cases[] = {
        {"|", "-4)", "sqrt(-4)", 8},
        {"|", "-4))", "sqrt(-4))", 9},          // only the inserted one is stepped over
        {"2*|+1", "9)+", "2*sqrt(9)++1", 10},
        {"|", "(1+2))", "sqrt((1+2))", 11},      // the inner pair typed whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString before = QString::fromLatin1(c.before);
        const int caret = int(before.indexOf(QLatin1Char('|')));
        setText(QString(before).remove(QLatin1Char('|')), caret);
        open(QChar('s'), [&](TfmAutoComp& l) {
            QTest::keyClicks(l.lb, QStringLiteral("qr"));
            QTest::keyClick(l.lb, '(');
        });
        EXPECT_EQ(edit.cursorPosition(), caret + 5) << "right after \"(\"";
        QTest::keyClicks(&edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(edit.cursorPosition(), c.caret);
    }
}
