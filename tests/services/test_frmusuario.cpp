// The user-definitions dialog driven offscreen by objectName: selecting,
// editing, adding, deleting, Aceptar and Cancelar, with the boxes and the
// identifier prompt answered by the test.
#include "services/frmusuario.h"

#include "controls/frmautocomp.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "services/calcfuncs.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"
#include "testsupport.h"
#include "support/autocompprobe.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include <memory>

namespace {

const char* const kConstants = "[Constantes]\r\n"
                          "grav=9.81_Gravedad\r\n"
                          "luz=299792458\r\n"
                          "[Funciones]\r\n"
                          "hip=(?A^2+?B^2)\\2_hipotenusa\r\n";

class FrmUsuarioTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
        main.SetUseBuiltIns(true);
        main.Silent = true;
        input.SetUseBuiltIns(true);
        calcfuncs::TCalcHooks h;
        calcfuncs::RegisterCalcNames(main, input, h);
        put(kConstants);
    }
    void TearDown() override
    {
        dlg.reset();
        FreeAutoComp();
        ExeDirTest::TearDown();
    }

    void put(const char* text)
    {
        QFile f(userdefs::FileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray get() const
    {
        QFile f(userdefs::FileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // The dialog of a mode, shown (not blocking: the test plays the user).
    void open(int mode)
    {
        dlg = std::make_unique<TfmUsuario>(mode, &main, &input);
        dlg->InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
            queries.append(caption + QLatin1Char('|') + prompt + QLatin1Char('|') + text);
            if (answers.isEmpty())
                return false;
            text = answers.takeFirst();
            return true;
        };
        dlg->show();
    }
    template <class T>
    T* find(const char* name) const
    {
        T* w = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void select(int row) { find<QListWidget>("lbox")->setCurrentRow(row); }
    void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    RecordingSink sink;
    real::TExpresion main;
    real::TExpresion input;
    std::unique_ptr<TfmUsuario> dlg;
    QStringList queries;
    QStringList answers;
};

} // namespace

TEST_F(FrmUsuarioTest, LayoutAndModes)
{
    struct Case {
        int mode;
        const char* section;
        int help;
        QStringList names;
    } cases[] = {
        {0, "Constantes", 18, {"grav", "luz"}},
        {1, "Funciones", 19, {"hip"}},
        {2, "Expresiones", 19, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        open(c.mode);
        EXPECT_EQ(dlg->objectName(), QStringLiteral("fmUsuario"));
        EXPECT_EQ(dlg->windowTitle(), QString::fromLatin1(c.section));
        EXPECT_EQ(find<QLabel>("Label1")->text(), QString::fromLatin1(c.section));
        EXPECT_EQ(dlg->HelpContext(), c.help);
        EXPECT_TRUE(dlg->isModal());
        QStringList shown;
        for (int i = 0; i < find<QListWidget>("lbox")->count(); ++i)
            shown << find<QListWidget>("lbox")->item(i)->text();
        EXPECT_EQ(shown, c.names);
        EXPECT_EQ(find<QPushButton>("Button1")->text(), QStringLiteral("&Nueva"));
        EXPECT_EQ(find<QPushButton>("cmdElim")->text(), QStringLiteral("&Eliminar"));
        EXPECT_EQ(find<QPushButton>("Button2")->text(), QStringLiteral("&Aceptar"));
        EXPECT_EQ(find<QPushButton>("Button4")->text(), QStringLiteral("&Cancelar"));
        EXPECT_FALSE(find<QPushButton>("cmdElim")->isEnabled());
        EXPECT_EQ(find<QLabel>("Label2")->text(), QString::fromUtf8("Breve descripción:"));
        EXPECT_EQ(find<QLabel>("Label3")->text(), QString::fromUtf8("Definición:"));
        EXPECT_EQ(find<QLineEdit>("desc")->maxLength(), 30);
        EXPECT_NE(dlg->findChild<QWidget*>("AreaFondo1"), nullptr);
        EXPECT_NE(dlg->findChild<QPlainTextEdit*>("Def"), nullptr);
        EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    }
}

TEST_F(FrmUsuarioTest, SelectingFillsTheFields)
{
    open(0);
    select(0);
    EXPECT_EQ(find<QPlainTextEdit>("Def")->toPlainText(), QStringLiteral("9.81"));
    EXPECT_EQ(find<QLineEdit>("desc")->text(), QStringLiteral("Gravedad"));
    EXPECT_TRUE(find<QPushButton>("cmdElim")->isEnabled());
    select(1);
    EXPECT_EQ(find<QPlainTextEdit>("Def")->toPlainText(), QStringLiteral("299792458"));
    EXPECT_EQ(find<QLineEdit>("desc")->text(), QString());
    // Filling the fields is not an edit.
    EXPECT_FALSE(dlg->Modified());
    find<QListWidget>("lbox")->clearSelection();
    EXPECT_FALSE(find<QPushButton>("cmdElim")->isEnabled());
    EXPECT_TRUE(find<QPlainTextEdit>("Def")->toPlainText().isEmpty());
}

TEST_F(FrmUsuarioTest, AlternativeOperatorsAreRewrittenWhileTyping)
{
    open(0);
    select(0);
    auto* def = find<QPlainTextEdit>("Def");
    def->setFocus();
    def->moveCursor(QTextCursor::End);
    QTest::keyClicks(def, "**2");
    EXPECT_EQ(def->toPlainText(), QStringLiteral("9.81^2"));
    EXPECT_EQ(def->textCursor().position(), 6);
    QTest::keyClicks(def, "//3");
    EXPECT_EQ(def->toPlainText(), QStringLiteral("9.81^2\\3"));
    // Enter adds no line.
    QTest::keyClick(def, Qt::Key_Return);
    EXPECT_EQ(def->toPlainText(), QStringLiteral("9.81^2\\3"));
    EXPECT_EQ(dlg->Editor().Entry(0).Value, QStringLiteral("9.81^2\\3_Gravedad"));
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(FrmUsuarioTest, EmptyingAFieldKeepsTheValueButCountsAsAChange)
{
    open(0);
    select(0);
    find<QLineEdit>("desc")->clear();
    EXPECT_EQ(dlg->Editor().Entry(0).Value, QStringLiteral("9.81_Gravedad"));
    EXPECT_TRUE(dlg->Modified());
}

TEST_F(FrmUsuarioTest, EscInTheDefinitionEmptiesItOnly)
{
    open(0);
    select(0);
    auto* def = find<QPlainTextEdit>("Def");
    def->setFocus();
    QTest::keyClick(def, Qt::Key_Escape);
    EXPECT_TRUE(def->toPlainText().isEmpty());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(sink.boxes.isEmpty());
}

TEST_F(FrmUsuarioTest, CancelAsksOnlyAfterChanges)
{
    const QByteArray before = get();
    // No changes: closes at once.
    open(0);
    click("Button4");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), TfmUsuario::mrCancel);
    EXPECT_TRUE(sink.boxes.isEmpty());

    // Changes: the question, captioned with the section; No keeps it open.
    open(0);
    select(0);
    find<QLineEdit>("desc")->setText("Otra");
    sink.answer = idNo;
    click("Button4");
    ASSERT_EQ(sink.boxes.size(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("Cancela sin guardar los cambios"));
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Constantes"));
    EXPECT_EQ(sink.boxes[0].flags, mb::YesNo | mb::IconQuestion);
    EXPECT_TRUE(dlg->isVisible());
    // Esc asks the same; Yes closes with Cancel.
    sink.answer = idYes;
    QTest::keyClick(find<QListWidget>("lbox"), Qt::Key_Escape);
    EXPECT_EQ(sink.boxes.size(), 2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), TfmUsuario::mrCancel);
    EXPECT_EQ(get(), before);
}

TEST_F(FrmUsuarioTest, NewIdentifier)
{
    open(1);
    // Cancel in the prompt: nothing.
    click("Button1");
    ASSERT_EQ(queries.size(), 1);
    EXPECT_EQ(queries[0], QStringLiteral("Funciones|Indique el nuevo identificador|"));
    EXPECT_EQ(find<QListWidget>("lbox")->count(), 1);
    // A built-in name: " ya esta definido", list unchanged.
    answers << "sin";
    click("Button1");
    ASSERT_EQ(sink.boxes.size(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("sin ya esta definido"));
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Sumbrix 2.84"));
    EXPECT_EQ(find<QListWidget>("lbox")->count(), 1);
    // Not an identifier: refused with a reason.
    answers << "a=b";
    click("Button1");
    ASSERT_EQ(sink.boxes.size(), 2);
    EXPECT_TRUE(sink.boxes[1].text.contains("a=b"));
    EXPECT_EQ(find<QListWidget>("lbox")->count(), 1);

    // A new name: appended and selected, the fields keep their text.
    select(0);
    answers << "doble";
    click("Button1");
    auto* lbox = find<QListWidget>("lbox");
    ASSERT_EQ(lbox->count(), 2);
    EXPECT_EQ(lbox->item(1)->text(), QStringLiteral("doble"));
    EXPECT_EQ(dlg->Selected(), 1);
    EXPECT_TRUE(find<QPushButton>("cmdElim")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("desc")->text(), QStringLiteral("hipotenusa"));
    EXPECT_EQ(dlg->Editor().Entry(1).Value, QStringLiteral("_doble"));
    EXPECT_TRUE(dlg->Modified());
    // The first edit stores both fields.
    find<QPlainTextEdit>("Def")->setPlainText("?A*2");
    find<QLineEdit>("desc")->setText("el doble");
    EXPECT_EQ(dlg->Editor().Entry(1).Value, QStringLiteral("?A*2_el doble"));
    click("Button2");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), TfmUsuario::mrOk);
    EXPECT_EQ(get(), QByteArray("[Constantes]\r\n"
                                "grav=9.81_Gravedad\r\n"
                                "luz=299792458\r\n"
                                "\r\n"
                                "[Funciones]\r\n"
                                "hip=(?A^2+?B^2)\\2_hipotenusa\r\n"
                                "doble=?A*2_el doble\r\n"));
}

TEST_F(FrmUsuarioTest, DeleteAndAccept)
{
    open(0);
    select(0);
    click("cmdElim");
    EXPECT_EQ(find<QListWidget>("lbox")->count(), 1);
    EXPECT_EQ(find<QListWidget>("lbox")->item(0)->text(), QStringLiteral("luz"));
    EXPECT_FALSE(find<QPushButton>("cmdElim")->isEnabled());
    EXPECT_TRUE(find<QPlainTextEdit>("Def")->toPlainText().isEmpty());
    EXPECT_TRUE(find<QLineEdit>("desc")->text().isEmpty());
    EXPECT_TRUE(dlg->Modified());
    click("Button2");
    EXPECT_EQ(dlg->result(), TfmUsuario::mrOk);
    EXPECT_EQ(get(), QByteArray("[Funciones]\r\n"
                                "hip=(?A^2+?B^2)\\2_hipotenusa\r\n"
                                "\r\n"
                                "[Constantes]\r\n"
                                "luz=299792458\r\n"));
}

// Constants are written as typed, without compiling anything.
TEST_F(FrmUsuarioTest, ConstantsAreNotCompiled)
{
    open(0);
    select(1);
    find<QLineEdit>("desc")->setText("velocidad");
    find<QPlainTextEdit>("Def")->setPlainText("?A+?C");
    click("Button2");
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_EQ(dlg->result(), TfmUsuario::mrOk);
    EXPECT_TRUE(get().contains("luz=?A+?C_velocidad\r\n"));
}

// A faulty function: the compile error in the application's box, the dialog
// open and the file as it was; once corrected it saves.
TEST_F(FrmUsuarioTest, FaultyFunctionKeepsTheDialogOpen)
{
    const QByteArray before = get();
    open(1);
    select(0);
    find<QPlainTextEdit>("Def")->setPlainText("?A+?C");
    click("Button2");
    ASSERT_EQ(sink.boxes.size(), 1);
    EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, mb::IconError);
    EXPECT_TRUE(sink.boxes[0].text.contains("hip")) << sink.boxes[0].text.toStdString();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(get(), before);
    find<QPlainTextEdit>("Def")->setPlainText("?A+?B");
    click("Button2");
    EXPECT_EQ(dlg->result(), TfmUsuario::mrOk);
    EXPECT_TRUE(get().contains("hip=?A+?B_hipotenusa\r\n"));
}

// A file that cannot be written keeps the dialog and its edits.
TEST_F(FrmUsuarioTest, UnreadableFileIsReportedAndNotWritten)
{
    QFile::remove(userdefs::FileName());
    ASSERT_TRUE(QDir(dir.path()).mkdir("real.duf"));
    open(0);
    ASSERT_EQ(sink.boxes.size(), 1);   // reported when shown
    answers << "nueva";
    click("Button1");
    click("Button2");
    ASSERT_EQ(sink.boxes.size(), 2);
    EXPECT_EQ(sink.boxes[1].flags & mb::IconMask, mb::IconError);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(find<QListWidget>("lbox")->count(), 1);
    EXPECT_TRUE(QFileInfo(userdefs::FileName()).isDir());
}

// With autocompletion on, a letter in the definition opens the shared list
// over the input evaluator's names.
TEST_F(FrmUsuarioTest, LettersOpenTheAutocompleteList)
{
    AutoCompProbe probe;
    int& runs = probe.runs;
    const void*& table = probe.table;
    open(1);
    select(0);
    auto* def = find<QPlainTextEdit>("Def");
    def->setFocus();
    def->moveCursor(QTextCursor::End);
    QTest::keyClicks(def, "+s");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(table, static_cast<const void*>(input.GetTable()));
    EXPECT_EQ(def->toPlainText(), QStringLiteral("(?A^2+?B^2)\\2+s"));
    // Off: no list.
    AutoComp().AutoCompleteOn = false;
    QTest::keyClicks(def, "i");
    EXPECT_EQ(runs, 1);
}
