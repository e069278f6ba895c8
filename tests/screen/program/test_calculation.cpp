// The calculation road of the built program on a real X server, through its
// real boxes: letter prompts answered and cancelled, an error box in the middle
// of a calculation, typing after Enter, and what the program writes on close
// (expr.lst and the history pairs of sumbrix.ini with their assignments).
#include "programtest.h"

namespace {

const QString kPromptA = QStringLiteral("^Indique el valor de la variable a$");
const QString kPromptB = QStringLiteral("^Indique el valor de la variable b$");
const QString kPromptC = QStringLiteral("^Indique el valor de la variable c$");

class CalculationOnScreen : public ProgramTest {
protected:
    // Waits for the prompt, types the answer over the proposed text and
    // presses Enter; the prompt must go.
    void answer(const QString& prompt, const QString& text) const
    {
        const QString id = p.waitWindow(prompt);
        ASSERT_FALSE(id.isEmpty()) << "no prompt " << prompt.toStdString();
        EXPECT_TRUE(p.answerUntilGone(id, text)) << "the prompt took no answer";
    }
};

TEST_F(CalculationOnScreen, LetterPromptsAreAnsweredAndCancelled)
{
    // a+b asks a, then b.
    p.enter(QStringLiteral("a+b"));
    answer(kPromptA, QStringLiteral("2"));
    answer(kPromptB, QStringLiteral("3"));
    EXPECT_EQ(p.waitResult(QStringLiteral("5")), QStringLiteral("5"));

    // Esc in the prompt of a cancels the calculation: b is never asked.
    p.enter(QStringLiteral("a*b"));
    const QString prompt = p.waitWindow(kPromptA);
    ASSERT_FALSE(prompt.isEmpty());
    EXPECT_TRUE(p.pressUntilGone(prompt, QStringLiteral("Escape")));
    EXPECT_EQ(p.waitResult(QStringLiteral("Cálculo cancelado")), QStringLiteral("Cálculo cancelado"));
    EXPECT_TRUE(p.windows(kPromptB).isEmpty());

    // "Cancelar" with the mouse does the same.
    p.enter(QStringLiteral("b-1"));
    const QString promptB = p.waitWindow(kPromptB);
    ASSERT_FALSE(promptB.isEmpty());
    EXPECT_TRUE(p.clickUntilGone(promptB, 50, 23));
    EXPECT_EQ(p.waitResult(QStringLiteral("Cálculo cancelado")), QStringLiteral("Cálculo cancelado"));

    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    // The history pairs: newest first, the assignments after three blanks.
    EXPECT_EQ(p.iniSection(QStringLiteral("Calculos")),
              (QStringList{QStringLiteral("0=a+b_0"), QStringLiteral("1=5   {a=2} {b=3} _0")}));
    // A cancelled request still puts its text in the expression history.
    EXPECT_EQ(QString::fromLatin1(p.readFile(QStringLiteral("expr.lst"))),
              QStringLiteral("b-1\r\na*b\r\na+b\r\n"));
}

TEST_F(CalculationOnScreen, AnErrorBoxInTheMiddleOfACalculationAsksAgain)
{
    p.enter(QStringLiteral("c*10"));
    answer(kPromptC, QStringLiteral("1/0"));
    // The typed value does not evaluate: its box, then the prompt again.
    const QString box = p.waitWindow(QStringLiteral("^Aviso$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(p.pressUntilGone(box, QStringLiteral("Return")));
    answer(kPromptC, QStringLiteral("4"));
    EXPECT_EQ(p.waitResult(QStringLiteral("40")), QStringLiteral("40"));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    EXPECT_EQ(p.iniValue(QStringLiteral("Calculos"), QStringLiteral("1")), QStringLiteral("40   {c=4} _0"));
}

TEST_F(CalculationOnScreen, TypingAfterEnterReplacesTheExpression)
{
    p.focus(p.mainWindow());
    p.type(QStringLiteral("2+3*4"));
    p.key(QStringLiteral("Return"));
    p.type(QStringLiteral("5"));
    p.key(QStringLiteral("Return"));
    EXPECT_EQ(p.waitResult(QStringLiteral("5")), QStringLiteral("5"));
    // A Spanish desktop still writes the point.
    p.enter(QStringLiteral("1/4"));
    EXPECT_EQ(p.waitResult(QStringLiteral("0.25")), QStringLiteral("0.25"));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    EXPECT_EQ(QString::fromLatin1(p.readFile(QStringLiteral("expr.lst"))),
              QStringLiteral("1/4\r\n5\r\n2+3*4\r\n"));
    EXPECT_EQ(p.iniSection(QStringLiteral("Calculos")),
              (QStringList{QStringLiteral("0=1/4_0"), QStringLiteral("1=0.25   _0"), QStringLiteral("2=5_0"),
                           QStringLiteral("3=5   _0"), QStringLiteral("4=2+3*4_0"), QStringLiteral("5=14   _0")}));
    // The next start finds its history again.
    ASSERT_TRUE(p.start()) << p.error().toStdString();
    ASSERT_TRUE(p.closeByEsc());
    EXPECT_EQ(p.iniSection(QStringLiteral("Calculos")).size(), 6);
}

} // namespace
