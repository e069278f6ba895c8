// What a new user meets first in the main window: the box calculates what was
// typed, truth values stay out of the total, the result box never keeps
// "Calculando...", long numbers show their beginning, the on-screen keyboard
// answers the mouse, a new user function is in the insert menu at once.
#include "frmcalcfixture.h"

#include "controls/frmteclado.h"
#include "services/frmusuario.h"

#include <QAction>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

using NewUserTest = FrmCalcTest;

TEST_F(NewUserTest, TheBoxCalculatesExactlyWhatWasTyped)
{
    openNotFirstRun();
    enter(QStringLiteral("2+3*4"));
    enter(QStringLiteral("1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20+21+22+23+24+25"));
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {{"2", "2"}, {"1", "1"}, {"2+1", "3"}};
    for (const Case& c : cases) {
        w->cmbEdit->SetText(QString());
        w->cmbEdit->setFocus();
        QTest::keyClicks(w->cmbEdit->lineEdit(), QString::fromLatin1(c.typed));
        EXPECT_EQ(w->cmbEdit->Text(), QString::fromLatin1(c.typed));
        QTest::keyClick(w->cmbEdit, Qt::Key_Return);
        EXPECT_EQ(result(), QString::fromLatin1(c.shown)) << c.typed;
    }
    EXPECT_EQ(w->Total(), 14 + 325 + 2 + 1 + 3);
}

TEST_F(NewUserTest, TruthValuesNeverReachTheTotal)
{
    openNotFirstRun();
    enter(QStringLiteral("5"));
    enter(QStringLiteral("3>2"));
    EXPECT_EQ(result(), QStringLiteral("Verdadero"));
    enter(QStringLiteral("3<2"));
    EXPECT_EQ(result(), QStringLiteral("Falso"));
    EXPECT_EQ(w->HistoryCount(), 6);
    EXPECT_EQ(w->Total(), 5);
    EXPECT_EQ(w->TotalCount(), 1);
    EXPECT_EQ(w->edtTotal->text(), QStringLiteral("5"));
    // Recalculating in another angle unit or base undoes nothing that was not added.
    w->SetAngleMode(1);
    w->SetResultBase(2);
    w->SetResultBase(10);
    EXPECT_EQ(w->Total(), 5);
    EXPECT_EQ(w->TotalCount(), 1);
}

TEST_F(NewUserTest, AnErrorBoxLeavesItsTextInTheResultBox)
{
    openNotFirstRun();
    sink.answer = RecordingSink::kDefaultButton;
    for (const char* text : {"nadie+1", "2+"}) {
        enter(QString::fromLatin1(text));
        EXPECT_NE(result(), QStringLiteral("Calculando...")) << text;
        EXPECT_FALSE(result().isEmpty()) << text;
        EXPECT_EQ(w->TotalCount(), 0);
    }
}

TEST_F(NewUserTest, LongNumbersShowTheirBeginning)
{
    openNotFirstRun();
    w->resize(300, w->height());
    enter(QStringLiteral("500000500342.747123456789"));
    for (QLineEdit* box : {w->Edit2, w->edtTotal}) {
        EXPECT_EQ(box->cursorPosition(), 0) << box->objectName().toStdString();
        EXPECT_TRUE(box->text().startsWith(QStringLiteral("500000500342")));
    }
}

TEST_F(NewUserTest, TheKeyboardShowsWhenTheMouseEntersTheBox)
{
    openNotFirstRun();   // "MostrarTeclado" defaults to on
    w->show();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w->cmbEdit->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w->cmbEdit, &enter);
    ASSERT_TRUE(fmTeclado());
    EXPECT_TRUE(fmTeclado()->isVisible());
    fmTeclado()->hide();
    // Off: nothing shows.
    w->SetShowKeyboard(false);
    QApplication::sendEvent(w->cmbEdit, &enter);
    EXPECT_FALSE(fmTeclado()->isVisible());
}

TEST_F(NewUserTest, ANewUserFunctionIsInTheInsertMenuAtOnce)
{
    openNotFirstRun();
    // The submenu opened while it was empty.
    emit w->PopupMenu4->aboutToShow();
    emit w->FunciondeUsuario1->aboutToShow();
    EXPECT_TRUE(w->FunciondeUsuario1->actions().isEmpty());
    {
        QFile f(dir.filePath(QStringLiteral("real.duf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Funciones]\r\ndoble=2*?A_El doble\r\n");
    }
    w->RunDialog = [](QDialog&) { return int(TfmUsuario::mrOk); };
    w->Constantes1Click(1);
    emit w->PopupMenu4->aboutToShow();
    emit w->FunciondeUsuario1->aboutToShow();
    const QList<QAction*> items = w->FunciondeUsuario1->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), QStringLiteral("El doble"));
    // And the menu entry the user sees is enabled and opens the submenu.
    EXPECT_TRUE(w->FunciondeUsuario1->menuAction()->isEnabled());
    EXPECT_TRUE(w->FunciondeUsuario1->menuAction()->isVisible());
}

TEST_F(NewUserTest, TheDefinitionFieldOffersTheNamesList)
{
    openNotFirstRun();   // "Autocompletar" defaults to on
    ASSERT_TRUE(AutoComp().AutoCompleteOn);
    int entries = -1;
    AutoComp().OnShown = [&](TfmAutoComp& list) {
        entries = list.Count();
        list.hide();
    };
    w->RunDialog = [&](QDialog& d) {
        auto* dialog = dynamic_cast<TfmUsuario*>(&d);
        EXPECT_TRUE(dialog);
        if (dialog) {
            dialog->show();
            dialog->Def->setFocus();
            QTest::keyClicks(dialog->Def, QStringLiteral("s"));
        }
        return int(TfmUsuario::mrCancel);
    };
    w->Constantes1Click(1);
    EXPECT_GT(entries, 10);
}

TEST_F(NewUserTest, TheTotalButtonsLookLikeButtons)
{
    openNotFirstRun();
    for (QToolButton* b : {w->SpeedButton1, w->btnUndo}) {
        EXPECT_FALSE(b->autoRaise()) << b->objectName().toStdString();
        EXPECT_NE(b->text(), w->Label1->text());
    }
}

} // namespace
