// The roads a user takes through the main window with its real boxes: a
// letter's prompt takes keys while the calculation waits for it, what is typed
// after Enter replaces the expression, the complex-number offer follows an
// invalid operation found while compiling too, the first window has room for
// its picture and history, and "Minimizar" never loses the window.
#include "frmcalcfixture.h"

#include "services/frminput.h"

#include <QApplication>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <vector>

namespace {

using RoadsTest = FrmCalcTest;

// Answers the next modal boxes, one after the other, by typing into them as a
// user would (the keys go through the application, where the main window
// filters them); a box that took no key is cancelled so that the test goes
// on, and reported.
struct TypedAnswer {
    QString keys;   // typed into the box's field, then Enter
    bool escape = false;
    bool tookInput = false;
    QString caption;
};

using Answers = std::shared_ptr<std::vector<TypedAnswer>>;

// Waits up to about two seconds for each box.
void AnswerPrompts(const Answers& answers, size_t next = 0, int tries = 0)
{
    if (next >= answers->size() || tries > 400)
        return;
    QTimer::singleShot(5, [answers, next, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            AnswerPrompts(answers, next, tries + 1);   // not open yet
            return;
        }
        TypedAnswer& answer = (*answers)[next];
        answer.caption = modal->windowTitle();
        QWidget* field = fmInput && modal == fmInput ? fmInput->Texto->lineEdit() : modal;
        if (answer.escape) {
            QTest::keyClick(field, Qt::Key_Escape);
        } else {
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, answer.keys);
            QTest::keyClick(field, Qt::Key_Return);
        }
        answer.tookInput = !modal->isVisible();
        if (modal->isVisible())
            static_cast<QDialog*>(modal)->reject();
        AnswerPrompts(answers, next + 1);
    });
}

TEST_F(RoadsTest, ALetterPromptTakesTheKeysTypedIntoIt)
{
    openNotFirstRun();
    Calc().Prompter = nullptr;   // the real input box
    fmInput = new TfmInput(w.get());
    w->show();
    auto answers = std::make_shared<std::vector<TypedAnswer>>(2);
    (*answers)[0].keys = QStringLiteral("2");
    (*answers)[1].keys = QStringLiteral("3");
    AnswerPrompts(answers);
    w->cmbEdit->setFocus();
    w->cmbEdit->SetText(QStringLiteral("a+b"));
    QTest::keyClick(w->cmbEdit, Qt::Key_Return);
    EXPECT_TRUE((*answers)[0].tookInput);
    EXPECT_TRUE((*answers)[1].tookInput);
    EXPECT_EQ((*answers)[0].caption, QStringLiteral("Indique el valor de la variable a"));
    EXPECT_EQ((*answers)[1].caption, QStringLiteral("Indique el valor de la variable b"));
    EXPECT_EQ(result(), QStringLiteral("5"));
    ASSERT_EQ(w->HistoryCount(), 2);
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("5   {a=2} {b=3} "));

    // Esc in the prompt cancels it.
    auto cancel = std::make_shared<std::vector<TypedAnswer>>(1);
    (*cancel)[0].escape = true;
    AnswerPrompts(cancel);
    w->cmbEdit->SetText(QStringLiteral("a*5"));
    QTest::keyClick(w->cmbEdit, Qt::Key_Return);
    EXPECT_TRUE((*cancel)[0].tookInput);
    EXPECT_EQ(result(), QStringLiteral("Cálculo cancelado"));
    EXPECT_EQ(w->HistoryCount(), 2);
    w.reset();
    fmInput = nullptr;
}

TEST_F(RoadsTest, TypingAfterEnterReplacesTheExpression)
{
    openNotFirstRun();
    w->show();
    w->cmbEdit->setFocus();
    struct Case {
        const char* first;
        const char* then;
        const char* shown;
    } cases[] = {{"2+3*4", "5", "5"}, {"2+3*4", "7*2", "14"}, {"9", "8", "8"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        w->cmbEdit->SetText(QString());
        QTest::keyClicks(w->cmbEdit->lineEdit(), QString::fromLatin1(c.first));
        QTest::keyClick(w->cmbEdit, Qt::Key_Return);
        EXPECT_EQ(w->cmbEdit->lineEdit()->selectedText(), QString::fromLatin1(c.first));
        QTest::keyClicks(w->cmbEdit->lineEdit(), QString::fromLatin1(c.then));
        EXPECT_EQ(w->cmbEdit->Text(), QString::fromLatin1(c.then));
        QTest::keyClick(w->cmbEdit, Qt::Key_Return);
        EXPECT_EQ(result(), QString::fromLatin1(c.shown));
    }
}

TEST_F(RoadsTest, AnInvalidOperationOffersTheComplexWindowWhereverItIsFound)
{
    openNotFirstRun();
    // Rst is 0: the root of Rst-9 fails while evaluating; the others while
    // their constant is folded.
    for (const char* text : {"Raiz(Rst-9)", "Raiz(-4)", "(-4)^0.5"}) {
        SCOPED_TRACE(text);
        sink.clear();
        enter(QString::fromLatin1(text));
        QCoreApplication::processEvents();
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(sink.last().caption, QStringLiteral("Parametro no válido"));
        EXPECT_EQ(w->HistoryCount(), 0);
    }
    // A syntax error offers nothing.
    sink.clear();
    enter(QStringLiteral("2+"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(sink.captions().filter(QStringLiteral("Parametro no válido")).isEmpty());
}

TEST_F(RoadsTest, TheFirstWindowHasRoomForPictureAndHistory)
{
    open();   // first run: no settings file
    w->show();
    QCoreApplication::processEvents();
    EXPECT_GE(w->Panel3->height(), 100);
    const QList<int> sizes = w->Splitter1->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_GT(sizes[0], 30);
    EXPECT_GT(sizes[1], 30);
}

TEST_F(RoadsTest, MinimizingWithoutANotificationAreaKeepsTheWindow)
{
    writeSettings("MinIcon=1\r\n");
    open();
    w->NotificationAreaAvailable = [] { return false; };
    Calc().MinIcon = true;
    w->show();
    w->SpeedButton8->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->InNotificationArea());
    EXPECT_FALSE(w->isHidden());
    EXPECT_EQ(w->TrayIcon(), nullptr);
}

} // namespace
