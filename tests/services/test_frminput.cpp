// The input box: caption, entry, autocomplete from the caller's name table,
// the dialog's result, and the answers kept for the next prompt. The dialog
// runs modally; the user's keys are played from a timer inside its loop.
#include "services/frminput.h"
#include "controls/frmteclado.h"
#include "engine/real/expresion.h"
#include "entryboxsupport.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class FrmInputTest : public EntryBoxTest {
protected:
    void SetUp() override
    {
        EntryBoxTest::SetUp();
        addName(table, "pi", 0);
        addName(table, "sin", 3, 1, 1);
        dialog = std::make_unique<TfmInput>();
        recordListRuns();
    }
    void TearDown() override
    {
        dialog.reset();
        EntryBoxTest::TearDown();
    }

    // The calling protocol of every caller; `user` plays the keys and clicks.
    int ask(const QString& prompt, bool withTable, const QString& proposed, const std::function<void()>& user)
    {
        dialog->setWindowTitle(prompt);
        if (withTable)
            dialog->SetNameTable(&table);
        else
            dialog->SetNameTable(nullptr);
        dialog->Texto->SetText(proposed);
        dialog->Texto->SetSel(0, int(proposed.size()));
        QTimer::singleShot(0, dialog.get(), [this, user] {
            focusOnEntry = dialog->focusWidget() == dialog->Texto;
            user();
        });
        // Whatever the test did, the dialog does not stay open.
        QTimer::singleShot(0, dialog.get(), [this] {
            if (dialog->isVisible())
                dialog->done(99);
        });
        return dialog->exec();
    }
    void type(const QString& s) { QTest::keyClicks(dialog->Texto, s); }

    std::unique_ptr<TfmInput> dialog;
    bool focusOnEntry = false;
};

} // namespace

TEST_F(FrmInputTest, Layout)
{
    EXPECT_EQ(dialog->objectName(), QString("fmInput"));
    EXPECT_EQ(dialog->Label1->text(), QString::fromUtf8("Utilice cualquier expresión evaluable:"));
    EXPECT_EQ(dialog->Button1->text(), QString("Aceptar"));
    EXPECT_EQ(dialog->Button2->text(), QString("Cancelar"));
    EXPECT_EQ(dialog->Texto->objectName(), QString("Texto"));
    EXPECT_EQ(dialog->Image1->objectName(), QString("Image1"));
    EXPECT_TRUE(dialog->Texto->Autoagregar());
    EXPECT_FALSE(dialog->Texto->Duplicados());
    EXPECT_TRUE(dialog->Texto->FileName().isEmpty());
    EXPECT_TRUE(dialog->Texto->TextEmpty().isEmpty());
    EXPECT_EQ(dialog->HelpContext(), 20);
    EXPECT_TRUE(dialog->isModal());
}

TEST_F(FrmInputTest, CaptionProposedTextAndEnter)
{
    QString captionSeen;
    QString selected;
    const int r = ask("Valor de x", true, "1/3", [&] {
        captionSeen = dialog->windowTitle();
        selected = dialog->Texto->lineEdit()->selectedText();
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    EXPECT_EQ(r, TfmInput::mrOk);
    EXPECT_EQ(captionSeen, QString("Valor de x"));
    EXPECT_EQ(selected, QString("1/3"));
    EXPECT_TRUE(focusOnEntry);
    EXPECT_EQ(dialog->Texto->Text(), QString("1/3"));
}

TEST_F(FrmInputTest, ResultsOfTheButtonsAndKeys)
{
    struct Case {
        const char* how;
        std::function<void(TfmInput&)> act;
        int result;
    } cases[] = {
        {"Enter", [](TfmInput& d) { QTest::keyClick(d.Texto, Qt::Key_Return); }, TfmInput::mrOk},
        {"Aceptar", [](TfmInput& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); }, TfmInput::mrOk},
        {"Esc", [](TfmInput& d) { QTest::keyClick(d.Texto, Qt::Key_Escape); }, TfmInput::mrCancel},
        {"Cancelar", [](TfmInput& d) { QTest::mouseClick(d.Button2, Qt::LeftButton); }, TfmInput::mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        const int r = ask("Indique una función sobre m y n", false, "m+n", [&] {
            type("*2");
            c.act(*dialog);
        });
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(dialog->Texto->Text(), QString("*2"));
    }
}

TEST_F(FrmInputTest, AutocompleteFromTheCallersTableOnly)
{
    script = [](TfmAutoComp& l) {
        QTest::keyClick(l.lb, Qt::Key_I);
        QTest::keyClick(l.lb, Qt::Key_Return);
    };
    QString answer;
    int r = ask("Valor de y", true, "", [&] {
        type("2*s");
        type("1");
        answer = dialog->Texto->Text();
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    EXPECT_EQ(r, TfmInput::mrOk);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(answer, QString("2*sin(1)"));
    EXPECT_EQ(dialog->NameTable()->Table(), static_cast<const void*>(&table));

    // The next prompt has no table: letters are typed plainly.
    r = ask("Ingrese una valor para Ruffini", false, "", [&] {
        type("3*s");
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(dialog->Texto->Text(), QString("3*s"));
    EXPECT_EQ(dialog->NameTable(), nullptr);
    EXPECT_EQ(dialog->Texto->NameTable(), nullptr);
}

TEST_F(FrmInputTest, AnswersAreOfferedToTheNextPrompt)
{
    ask("Valor de x", false, "", [&] {
        type("1+1");
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    ask("Valor de y", false, "", [&] {
        type("2^8");
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    ask("Valor de z", false, "", [&] {
        type("1+1");
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    // Cancelled answers are not kept.
    ask("Valor de w", false, "", [&] {
        type("7");
        QTest::keyClick(dialog->Texto, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog->Texto->Items(), QStringList({"1+1", "2^8"}));

    // Picking the earlier answer from the list.
    QString picked;
    const int r = ask("Valor de v", false, "", [&] {
        QTest::keyClick(dialog->Texto, Qt::Key_Down);
        QTest::keyClick(dialog->Texto, Qt::Key_Down);
        picked = dialog->Texto->Text();
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
    });
    EXPECT_EQ(r, TfmInput::mrOk);
    EXPECT_EQ(picked, QString("2^8"));
}

TEST_F(FrmInputTest, NamesOfTheRealEvaluator)
{
    // The caller's evaluator lends its table; no expression is compiled.
    real::TExpresion evaluator;
    evaluator.AddConstant("Kb", QString::fromUtf8("constante de Boltzmann"), 1.380649e-23L);
    evaluator.AddVariable("w");
    evaluator.AddFunctionN("hyp", {}, 2, 3, "hipotenusa");
    evaluator.AddUserFunction("doble", "?A*2", "el doble");
    evaluator.AddVariable("_interna");

    QStringList entries;
    script = [&](TfmAutoComp& l) {
        for (int i = 0; i < l.Count(); ++i)
            entries << l.ItemText(i);
        QTest::keyClick(l.lb, Qt::Key_Y);
        QTest::keyClick(l.lb, Qt::Key_P);
        QTest::keyClick(l.lb, Qt::Key_Comma);
    };
    dialog->setWindowTitle("Valor de x");
    dialog->SetNameTable(evaluator.GetTable());
    dialog->Texto->SetText(QString());
    int caret = -1;
    QTimer::singleShot(0, dialog.get(), [&] {
        type("1+h");
        caret = dialog->Texto->SelStart();
        QTest::keyClick(dialog->Texto, Qt::Key_Return);
    });
    QTimer::singleShot(0, dialog.get(), [this] {
        if (dialog->isVisible())
            dialog->done(99);
    });
    EXPECT_EQ(dialog->exec(), TfmInput::mrOk);
    EXPECT_TRUE(entries.contains(QString::fromUtf8("Kb - Const: constante de Boltzmann")));
    EXPECT_TRUE(entries.contains("w - Variable"));
    EXPECT_TRUE(entries.contains("hyp( , {3}) - Func: hipotenusa"));
    EXPECT_TRUE(entries.contains("doble( ) - Pers: el doble"));
    for (const QString& e : entries)
        EXPECT_FALSE(e.startsWith('_')) << e.toStdString();
    EXPECT_EQ(dialog->Texto->Text(), QString("1+hyp(,{3})"));
    EXPECT_EQ(caret, 7);
}
