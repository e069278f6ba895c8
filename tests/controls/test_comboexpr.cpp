// The expression entry box: history files, the placeholder, two-key
// shortcuts, the letters that open the autocomplete list and the change
// events around it. Driven with keys as the user types.
#include "controls/comboexpr.h"
#include "controls/frmteclado.h"
#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "support/autocompprobe.h"
#include "support/entrybox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

class ComboExprTest : public EntryBoxTest {
protected:
    void SetUp() override
    {
        EntryBoxTest::SetUp();
        addName(table, "sin", 3, 1, 1);
        addName(table, "sqrt", 3, 1, 1);
        addName(table, "pi", 0);
        addName(table, "x", 1);
        box = std::make_unique<TComboExpr>();
        box->setObjectName("cmbEdit");
        // Every run of the list is closed at once with Esc unless a test
        // plays other keys; each run is recorded.
        recordListRuns();
    }
    void TearDown() override
    {
        box.reset();
        EntryBoxTest::TearDown();
    }
    QLineEdit* edit() { return box->lineEdit(); }
    void setText(const QString& s, int caret)
    {
        box->SetText(s);
        box->SetSel(caret, 0);
    }
    // Types as the user does: each character through the box's key handling.
    void type(const QString& s) { QTest::keyClicks(box.get(), s); }

    std::unique_ptr<TComboExpr> box;
};

} // namespace

// ---------------------------------------------------------------------------
// Construction

TEST_F(ComboExprTest, StartsEmptyWithTheSharedWindows)
{
    EXPECT_TRUE(box->isEditable());
    EXPECT_TRUE(box->IsEmpty());
    EXPECT_TRUE(box->Teclado());
    EXPECT_FALSE(box->Autoagregar());
    EXPECT_FALSE(box->Duplicados());
    EXPECT_FALSE(box->InAutoComplete());
    EXPECT_EQ(box->NameTable(), nullptr);
    ASSERT_NE(fmAutoComp(), nullptr);
    ASSERT_NE(fmTeclado(), nullptr);
    EXPECT_EQ(fmAutoComp()->objectName(), QString("fmAutoComp"));
    EXPECT_EQ(fmTeclado()->objectName(), QString("fmTeclado"));
    // A second box shares them, and destroying a box leaves them alone.
    TfmAutoComp* list = fmAutoComp();
    TfmTeclado* keyboard = fmTeclado();
    auto second = std::make_unique<TComboExpr>();
    EXPECT_EQ(fmAutoComp(), list);
    EXPECT_EQ(fmTeclado(), keyboard);
    second.reset();
    EXPECT_EQ(fmAutoComp(), list);
    EXPECT_EQ(fmTeclado(), keyboard);
}

// ---------------------------------------------------------------------------
// History

TEST_F(ComboExprTest, LoadsEveryLineOfTheFile)
{
    box->SetFileName("expr.lst");
    // CR LF, a lone LF, a lone CR, an empty line and a Windows-1252 character.
    put("expr.lst", QByteArray("2+2\r\nsin(x)\nraíz\r\r\n\x80 5\r\n").replace("í", "\xED"));
    setText("tecleado", 3);
    box->LoadHistory();
    EXPECT_EQ(box->Items(), QStringList({"2+2", "sin(x)", QString::fromUtf8("raíz"), "", QString::fromUtf8("€ 5")}));
    // The text being typed is not touched by the new list.
    EXPECT_EQ(box->Text(), QString("tecleado"));
    EXPECT_EQ(box->SelStart(), 3);
}

TEST_F(ComboExprTest, MissingFileOrNoFileNameChangeNothing)
{
    AddExprHistory(box.get(), "1+1");
    box->SetFileName("nada.lst");
    box->LoadHistory();
    EXPECT_EQ(box->Items(), QStringList({"1+1"}));

    box->SetFileName(QString());
    box->LoadHistory();
    box->SaveHistory();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ComboExprTest, SavesNewestFirstInWindows1252WithCrLf)
{
    box->SetFileName("expc.lst");
    AddExprHistory(box.get(), "1|2");
    AddExprHistory(box.get(), QString::fromUtf8("√2 ñ"));
    AddExprHistory(box.get(), "");
    AddExprHistory(box.get(), "3*i");
    box->SaveHistory();
    EXPECT_EQ(get("expc.lst"), QByteArray("3*i\r\n\r\n?2 \xF1\r\n1|2\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"expc.lst"}));

    // What is saved loads back as it was.
    TComboExpr other;
    other.SetFileName("expc.lst");
    other.LoadHistory();
    EXPECT_EQ(other.Items(), QStringList({"3*i", "", QString::fromUtf8("?2 ñ"), "1|2"}));
}

TEST_F(ComboExprTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    // A folder where the file should be: it exists but cannot be read.
    ASSERT_TRUE(QDir(dir.path()).mkdir("expq.lst"));
    box->SetFileName("expq.lst");
    AddExprHistory(box.get(), "1|2+3|4|5");
    EXPECT_THROW(box->LoadHistory(), EInOutError);
    EXPECT_EQ(box->Items(), QStringList({"1|2+3|4|5"}));
    EXPECT_NO_THROW(box->SaveHistory());
    EXPECT_TRUE(QFileInfo(dir.filePath("expq.lst")).isDir());
}

TEST_F(ComboExprTest, AddingPutsOnTopWithoutDuplicatesAndKeepsFifty)
{
    AddExprHistory(box.get(), "sin(x)");
    AddExprHistory(box.get(), "2+2");
    AddExprHistory(box.get(), "SIN(X)");   // equal but for case: the old one goes
    EXPECT_EQ(box->Items(), QStringList({"SIN(X)", "2+2"}));

    for (int i = 0; i < 60; ++i)
        AddExprHistory(box.get(), QStringLiteral("e%1").arg(i));
    ASSERT_EQ(box->count(), 50);
    EXPECT_EQ(box->itemText(0), QString("e59"));
    EXPECT_EQ(box->itemText(49), QString("e10"));

    // Moving an existing entry to the top keeps 50.
    AddExprHistory(box.get(), "e30");
    EXPECT_EQ(box->count(), 50);
    EXPECT_EQ(box->itemText(0), QString("e30"));
    EXPECT_EQ(box->findText("e30"), 0);

    box->SetDuplicados(true);
    AddExprHistory(box.get(), "e59");
    EXPECT_EQ(box->itemText(0), QString("e59"));
    EXPECT_EQ(box->itemText(1), QString("e30"));
    EXPECT_EQ(box->itemText(2), QString("e59"));

    AddExprHistory(box.get(), QString(300, QLatin1Char('7')));
    EXPECT_EQ(box->itemText(0).size(), 255);
}

TEST_F(ComboExprTest, EnterAddsTheTextWhenAutoagregar)
{
    type("1+2");
    QTest::keyClick(box.get(), Qt::Key_Return);
    EXPECT_EQ(box->count(), 0);

    box->SetAutoagregar(true);
    QTest::keyClick(box.get(), Qt::Key_Return);
    EXPECT_EQ(box->Items(), QStringList({"1+2"}));
    EXPECT_EQ(box->Text(), QString("1+2"));
    box->SetText(QString(300, QLatin1Char('9')));
    QTest::keyClick(box.get(), Qt::Key_Enter);
    EXPECT_EQ(box->itemText(0), QString(255, QLatin1Char('9')));
    EXPECT_EQ(box->Text().size(), 300);
}

// ---------------------------------------------------------------------------
// Placeholder

TEST_F(ComboExprTest, PlaceholderWhileEmptyAndUnfocused)
{
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    box->setParent(&w);
    layout->addWidget(box.get());
    auto* other = new QLineEdit(&w);
    layout->addWidget(other);
    box->SetTextEmpty(QString::fromUtf8("{Ingrese aquí una expresión para evaluar}"));
    int changes = 0;
    int exits = 0;
    int enters = 0;
    box->OnChange = [&](QObject*) { ++changes; };
    box->OnExit = [&](QObject*) { ++exits; };
    box->OnEnter = [&](QObject*) { ++enters; };
    const QColor normal = box->FontColor();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    other->setFocus(Qt::TabFocusReason);
    exits = enters = 0;

    box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 1);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(box->Text(), box->TextEmpty());
    EXPECT_EQ(box->FontColor(), QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_TRUE(box->IsEmpty());
    EXPECT_EQ(changes, 0);

    box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(box->Text(), QString());
    EXPECT_EQ(box->FontColor(), normal);
    EXPECT_EQ(box->SavedFontColor(), normal);
    EXPECT_EQ(changes, 0);

    // With a text the box leaves as it is.
    type("2*3");
    EXPECT_FALSE(box->IsEmpty());
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(box->Text(), QString("2*3"));
    EXPECT_EQ(box->FontColor(), normal);
    box->setParent(nullptr);
}

TEST_F(ComboExprTest, EmptyStateAndItsColour)
{
    box->SetTextEmpty("{vacío}");
    const QColor normal = box->FontColor();
    box->SetText("1");
    EXPECT_FALSE(box->IsEmpty());
    box->SetText("{vacío}");   // the placeholder text itself counts as empty
    EXPECT_TRUE(box->IsEmpty());
    box->SetFontColor(Qt::red);
    box->SetText("2");
    // Leaving the empty state gives back the colour remembered on entering it.
    EXPECT_EQ(box->FontColor(), normal);
    box->SetText("{VACÍO}");
    EXPECT_FALSE(box->IsEmpty());
}

// ---------------------------------------------------------------------------
// Two-key shortcuts

TEST_F(ComboExprTest, TwoKeyShortcuts)
{
    struct Case {
        const char* start;
        int caret;
        const char* typed;
        const char* text;
        int newCaret;
    } cases[] = {
        {"", 0, "2**", "2^", 2},
        {"", 0, "x*/", "x)", 2},
        {"", 0, "x/*", "x(", 2},
        {"", 0, "8//", "8\\", 2},
        {"", 0, "5--", "5%", 2},
        {"", 0, "1..", "1|", 2},
        {"", 0, "**", "^", 1},            // the first character takes part
        {"2*3", 2, "*", "2^3", 2},        // in the middle of the text
        {"", 0, "2*+", "2*+", 3},         // other pairs are typed
        {"", 0, "2***", "2^*", 3},
        {"", 0, "1...", "1|.", 3},
        {"a-", 0, "-", "-a-", 1},         // nothing before the caret
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " + " + c.typed);
        setText(c.start, c.caret);
        type(c.typed);
        EXPECT_EQ(box->Text(), QString(c.text));
        EXPECT_EQ(box->SelStart(), c.newCaret);
        EXPECT_EQ(box->SelLength(), 0);
    }
}

TEST_F(ComboExprTest, ShortcutBeforeASelectionAndInLongTexts)
{
    setText("2*abc", 0);
    box->SetSel(2, 3);
    type("*");
    EXPECT_EQ(box->Text(), QString("2^abc"));
    EXPECT_EQ(box->SelStart(), 2);
    EXPECT_EQ(box->SelLength(), 0);

    // Far beyond 255 characters nothing of the text is lost.
    const QString head = QString(280, QLatin1Char('1')) + "*";
    const QString tail = QString(40, QLatin1Char('2'));
    setText(head + tail, int(head.size()));
    type("*");
    EXPECT_EQ(box->Text(), QString(280, QLatin1Char('1')) + "^" + tail);
    EXPECT_EQ(box->SelStart(), 281);
}

// ---------------------------------------------------------------------------
// Letters and the autocomplete list

TEST_F(ComboExprTest, LetterRules)
{
    box->SetNameTable(&table);
    struct Case {
        const char* start;
        int caret;
        char letter;
        bool opens;
    } cases[] = {
        {"", 0, 's', true},
        {"2+", 2, 's', true},
        {"ab", 2, 'c', true},          // at the end, even after a letter
        {"abcd", 2, 'x', false},       // inside a word
        {"abcd", 1, 'x', false},       // inside a word after its first letter
        {"ab+cd", 3, 'x', true},       // after an operator
        {"{abc", 4, 'x', false},       // inside a comment in braces
        {"{a}", 3, 'x', true},         // after a closed one
        {"{{a}", 4, 'x', false},
        {"{a}}", 4, 'x', true},
        {"1+", 2, '5', false},         // only letters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " + " + c.letter);
        runs = 0;
        setText(c.start, c.caret);
        type(QString(QLatin1Char(c.letter)));
        EXPECT_EQ(runs, c.opens ? 1 : 0);
        // Opened or not, the letter is in the text once.
        QString expected = c.start;
        expected.insert(c.caret, QLatin1Char(c.letter));
        EXPECT_EQ(box->Text(), expected);
        EXPECT_EQ(box->SelStart(), c.caret + 1);
    }
}

TEST_F(ComboExprTest, NoNameTableNoList)
{
    type("sin");
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(box->Text(), QString("sin"));
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(box->Text(), QString("sin"));
}

TEST_F(ComboExprTest, EscStopsLettersUntilEnterF2OrAnEmptyBox)
{
    box->SetNameTable(&table);
    type("1+");
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_TRUE(box->AutoCompleteSuppressed());
    type("s");
    EXPECT_EQ(runs, 0);

    QTest::keyClick(box.get(), Qt::Key_Return);
    EXPECT_FALSE(box->AutoCompleteSuppressed());
    type("+p");
    EXPECT_EQ(runs, 1);

    QTest::keyClick(box.get(), Qt::Key_Escape);
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_FALSE(box->AutoCompleteSuppressed());
    EXPECT_EQ(runs, 2);

    QTest::keyClick(box.get(), Qt::Key_Escape);
    box->SetText(QString());
    type("x");
    EXPECT_EQ(runs, 3);
}

TEST_F(ComboExprTest, TypedLetterCompletesInTheBox)
{
    box->SetNameTable(&table);
    script = [](TfmAutoComp& l) {
        QTest::keyClick(l.lb, Qt::Key_Q);
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    type("2*s");
    EXPECT_EQ(box->Text(), QString("2*sqrt()"));
    EXPECT_EQ(box->SelStart(), 7);
    // Typing goes on inside the parenthesis.
    script = nullptr;
    type("9");
    EXPECT_EQ(box->Text(), QString("2*sqrt(9)"));
}

TEST_F(ComboExprTest, TypingOnNeverTurnsTheWordTypedIntoAnotherName)
{
    addName(table, "Raiz", 3, 1, 1);
    box->SetNameTable(&table);
    // The owner adds an entry whose case matters, as the elements are.
    box->SetOnCargarLista([](QObject* list) { static_cast<TfmAutoComp*>(list)->AddItem("B - Quim", 0); });
    struct Case {
        const char* typed;   // "\n" stands for Enter
        const char* text;
        int caret;
    } cases[] = {
        {"a+b*2", "a+b*2", 5},     // neither "a" nor "b" becomes "B"
        {"b2", "b2", 2},
        {"b ", "b ", 2},
        {"q+1", "q+1", 3},         // nor "q" the next name, "Raiz"
        {"q(", "q(", 2},
        // The entry starts with the word as typed: it completes. The table's
        // names are one name in any case.
        {"Rai(", "Raiz()", 5},
        {"rai(", "Raiz()", 5},
        {"Rai(9)", "Raiz(9)", 7},
        {"2*s ", "2*sin()", 6},
        {"X+1", "x+1", 3},
        {"p+1", "pi+1", 4},
        // Enter chooses the entry whatever was typed.
        {"b\n", "B", 1},
        {"2*rai\n", "2*Raiz()", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        setText(QString(), 0);
        ListTyping keys(QString::fromLatin1(c.typed));
        script = [&keys](TfmAutoComp& l) { keys.intoList(l); };
        keys.into(box.get());
        script = nullptr;
        EXPECT_EQ(box->Text(), QString::fromLatin1(c.text));
        EXPECT_EQ(box->SelStart(), c.caret);
    }
}

TEST_F(ComboExprTest, F2CompletesTheCharacterBeforeTheCaret)
{
    box->SetNameTable(&table);
    script = [](TfmAutoComp& l) { QTest::keyClick(l.lb, Qt::Key_Return); };
    setText("1+p", 3);
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_EQ(prefixes.value(0), QString("p"));
    EXPECT_EQ(box->Text(), QString("1+pi"));
    EXPECT_EQ(box->SelStart(), 4);

    // With a selection: it is deleted, nothing is typed.
    setText("2+sxyz", 0);
    box->SetSel(3, 3);
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_EQ(prefixes.value(1), QString("s"));
    EXPECT_EQ(box->Text(), QString("2+sin()"));
}

TEST_F(ComboExprTest, F2AtTheStartOfTheTextReadsNothingBeforeIt)
{
    box->SetNameTable(&table);
    script = [](TfmAutoComp& l) {
        EXPECT_EQ(l.Before(), QString());
        EXPECT_EQ(l.After(), QString("*2"));
        QTest::keyClick(l.lb, Qt::Key_P);
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    setText("*2", 0);
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(prefixes.value(0), QString());
    EXPECT_EQ(box->Text(), QString("pi*2"));
    EXPECT_EQ(box->SelStart(), 2);

    // Cancelled at once: the text is as it was.
    script = nullptr;
    setText("*2", 0);
    QTest::keyClick(box.get(), Qt::Key_F2);
    EXPECT_EQ(box->Text(), QString("*2"));
    EXPECT_EQ(box->SelStart(), 0);
}

TEST_F(ComboExprTest, ChangeEventsAroundTheList)
{
    box->SetNameTable(&table);
    struct Change {
        bool inList;
        QString text;
    };
    std::vector<Change> changes;
    box->OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, box.get());
        changes.push_back({box->InAutoComplete(), box->Text()});
    };
    script = [](TfmAutoComp& l) {
        QTest::keyClick(l.lb, Qt::Key_I);
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    type("1+");
    changes.clear();
    type("s");
    ASSERT_GE(changes.size(), 2u);
    // Just before the list opens: in the list, the text not yet typed.
    EXPECT_TRUE(changes.front().inList);
    EXPECT_EQ(changes.front().text, QString("1+"));
    // After it has closed: out of the list, with the final text.
    EXPECT_FALSE(changes.back().inList);
    EXPECT_EQ(changes.back().text, QString("1+sin()"));
    for (size_t i = 0; i + 1 < changes.size(); ++i)
        EXPECT_TRUE(changes[i].inList) << i;
    EXPECT_FALSE(box->InAutoComplete());
}

TEST_F(ComboExprTest, TheBoxHandsItsListEventToTheList)
{
    box->SetNameTable(&table);
    int loads = 0;
    box->SetOnCargarLista([&](QObject* sender) {
        EXPECT_EQ(sender, fmAutoComp());
        ++loads;
    });
    type("s");
    EXPECT_EQ(loads, 1);
}

TEST_F(ComboExprTest, OwnerKeyPressRunsFirst)
{
    box->SetNameTable(&table);
    box->SetAutoagregar(true);
    box->OnKeyPress = [](QObject*, QChar& key) {
        if (key == QLatin1Char('s'))
            key = QChar(0);                 // swallowed by the owner
        else if (key == QLatin1Char(';'))
            key = QLatin1Char(',');
    };
    int downs = 0;
    box->OnKeyDown = [&](QObject*, int& key, TShiftState) {
        ++downs;
        if (key == Qt::Key_F2)
            key = 0;
    };
    type("1;s2");
    EXPECT_EQ(box->Text(), QString("1,2"));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(downs, 4);
}

TEST_F(ComboExprTest, TypeAheadDoesNotLeakIntoTheBoxsOwnEdits)
{
    // The framework's type-ahead completes typed text from the history; what
    // the box and the list put in themselves is not extended by it.
    AddExprHistory(box.get(), "sqrt(2)");
    AddExprHistory(box.get(), "2^8");
    box->SetNameTable(&table);
    box->show();
    box->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));
    box->setFocus();
    script = [](TfmAutoComp& l) {
        EXPECT_EQ(l.After(), QString());
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    type("s");
    EXPECT_EQ(box->Text(), QString("sin()"));

    script = nullptr;
    box->SetText(QString());
    type("2**");
    EXPECT_EQ(box->Text(), QString("2^"));

    // Nothing is completed from the items: what is typed is what is calculated.
    box->SetText(QString());
    type("2");
    EXPECT_EQ(box->Text(), QString("2"));
    EXPECT_EQ(box->lineEdit()->selectedText(), QString());
}

// The keyboard of a box whose results lie under it goes clear of the box's
// window: under it, else above, else right or left of it, else where asked.
TEST(KeyboardPlace, ClearOfTheWindowWhereTheScreenHasRoom)
{
    struct Case {
        const char* name;
        QRect window;
        QPoint expected;
    };
    const QRect screen(0, 0, 1280, 1024);
    const QSize keyboard(300, 200);
    const QPoint fallback(1, 2);
    const Case cases[] = {
        {"under", QRect(100, 100, 400, 300), QPoint(150, 400)},
        {"above", QRect(100, 700, 400, 300), QPoint(150, 500)},
        {"right", QRect(100, 100, 400, 900), QPoint(500, 100)},
        {"left", QRect(900, 100, 300, 900), QPoint(600, 100)},
        {"nowhere", QRect(100, 100, 1100, 900), fallback},
        // Kept on the screen sideways.
        {"under, pushed in", QRect(1100, 100, 150, 300), QPoint(980, 400)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int preferredX = c.window.x() + 50;
        EXPECT_EQ(PlaceClearOf(c.window, keyboard, preferredX, screen, fallback), c.expected);
    }
}
