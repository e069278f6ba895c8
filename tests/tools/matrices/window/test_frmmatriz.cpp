// The matrix window driven as a user drives it: typing cells, the actions in
// both modes, the drop-down sums, the clipboard and the size of a grid.
#include "tools/matrices/window/frmmatriz.h"

#include "controls/popupmenux.h"
#include "controls/stringgridx.h"
#include "controls/frmautocomp.h"
#include "drawkit/drawkit.h"
#include "engine/complex/mcomplex.h"
#include "engine/formatonum.h"
#include "foundation/core/basicos.h"
#include "foundation/core/zelini.h"
#include "platform/keystate.h"
#include "services/frminput.h"
#include "support/fixtures.h"
#include "support/iconpixels.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace {

class MatrizWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix");
        Basicos().Messages = &sink;
        w = new TfmMatriz(host, nullptr);
        w->show();
        QApplication::setActiveWindow(w);
    }
    void TearDown() override
    {
        delete w;
        ExeDirTest::TearDown();
    }
    TStringGridX* Grid(const char* name) const { return w->findChild<TStringGridX*>(QString::fromLatin1(name)); }
    void Click(const char* name)
    {
        auto* b = w->findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Clicks the grid's first data cell, sets its size and types the rows
    // into its cells.
    void Type(TStringGridX* g, const std::vector<std::vector<const char*>>& rows)
    {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(g->item(1, 1)).center());
        ASSERT_EQ(w->ActiveGrid(), g);
        w->findChild<QSpinBox*>(QStringLiteral("spColum"))->setValue(int(rows[0].size()));
        w->findChild<QSpinBox*>(QStringLiteral("spFilas"))->setValue(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < int(rows[0].size()); ++c) {
                g->SetCurrent(c + 1, r + 1);
                g->edit(g->model()->index(r + 1, c + 1));
                auto* editor = qobject_cast<QLineEdit*>(g->indexWidget(g->model()->index(r + 1, c + 1)));
                if (!editor)
                    editor = g->viewport()->findChild<QLineEdit*>();
                ASSERT_NE(editor, nullptr);
                QTest::keyClicks(editor, QString::fromLatin1(rows[std::size_t(r)][std::size_t(c)]));
                QTest::keyClick(editor, Qt::Key_Return);
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
    }
    QString Text(const char* name) const
    {
        TStringGridX* g = Grid(name);
        QStringList rows;
        for (int r = 1; r < g->RowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c < g->ColCount(); ++c)
                cells << g->Cell(c, r);
            rows << cells.join(QLatin1Char(','));
        }
        return rows.join(QLatin1Char(';'));
    }

    QWidget* Named(const char* name) const { return w->findChild<QWidget*>(QString::fromLatin1(name)); }
    QString Status(int panel) const
    {
        return w->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
    }
    // Opens the cell editor of the grid's cell.
    QLineEdit* Editor(TStringGridX* g, int col, int row)
    {
        g->setFocus();
        g->SetCurrent(col, row);
        g->edit(g->model()->index(row, col));
        return g->viewport()->findChild<QLineEdit*>();
    }
    void Fill(TStringGridX* g, const std::vector<std::vector<QString>>& rows)
    {
        g->SetColCount(int(rows[0].size()) + 1);
        g->SetRowCount(int(rows.size()) + 1);
        g->SetFixed(1, 1);
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < int(rows[0].size()); ++c)
                g->SetCell(c + 1, r + 1, rows[std::size_t(r)][std::size_t(c)]);
    }
    void Activate(TStringGridX* g)
    {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(1, 1)).center());
        ASSERT_EQ(w->ActiveGrid(), g);
    }
    TMenuItem* Item(const char* menu, int index) const
    {
        return w->findChild<TPopupMenuX*>(QString::fromLatin1(menu))->Items().at(index);
    }
    QColor PanelColour(const char* panel) const { return Named(panel)->palette().color(QPalette::Window); }

    RecordingHost host;
    RecordingSink sink;
    TfmMatriz* w = nullptr;
};

TEST_F(MatrizWindowTest, DeterminantOfTypedCells)
{
    Type(Grid("ga"), {{"a", "b"}, {"c", "d"}});
    EXPECT_EQ(Text("ga"), QStringLiteral("a,b;c,d"));
    Click("ToolButton11");
    EXPECT_EQ(Text("gr"), QStringLiteral("Determinante A;ad -bc"));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text(), QStringLiteral("Racio"));
}

TEST_F(MatrizWindowTest, EachActionInBothModes)
{
    Type(Grid("ga"), {{"1", "1", "1", "6"}, {"1", "0", "0", "1"}, {"1", "1", "0", "3"}});
    for (bool complexMode : {false, true}) {
        if (complexMode)
            Click("btnRealComp");
        EXPECT_EQ(w->ComplexMode(), complexMode);
        Grid("ga")->setFocus();
        Click("ToolButton12");
        EXPECT_EQ(Text("gr"), QStringLiteral("1;2;3")) << complexMode;
        Click("ToolButton1");
        EXPECT_EQ(Grid("gr")->RowCount(), 4);
    }
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Matrices (Modo Complejo)"));
    Type(Grid("gb"), {{"1", "1", "1"}, {"1", "0", "0"}, {"1", "1", "0"}});
    Click("btnInversa");
    EXPECT_EQ(Text("gr"), QStringLiteral("0,1,0;0,-1,1;1,0,-1"));
    Click("btnRealComp");
    Click("btnInversa");
    EXPECT_EQ(Text("gr"), QStringLiteral("0,1,0;0,-1,1;1,0,-1"));
    Click("ToolButton17");
    EXPECT_EQ(Text("gr"), QStringLiteral("3,2,1;1,1,1;2,1,1"));
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(MatrizWindowTest, SumWithAGridOfOtherSizeIsRefused)
{
    Type(Grid("gb"), {{"1", "2", "3"}, {"4", "5", "6"}});
    Click("ToolButton15");
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes.back().text, QStringLiteral("No se pueden sumar matrices de distintas dimensiones"));
    Click("btnTranspuesta");
    EXPECT_EQ(Text("gb"), QStringLiteral("1,4;2,5;3,6"));
}

TEST_F(MatrizWindowTest, SingularSystemAsksAndShowsTheTriangulation)
{
    QStringList asked;
    w->Ask = [&](const QString& text, const QString& caption) {
        asked << caption + QLatin1Char('|') + text;
        return true;
    };
    Type(Grid("ga"), {{"1", "1", "1"}, {"2", "2", "3"}});
    Click("ToolButton12");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Matrices|Sistema INCOMPATIBLE")));
    EXPECT_EQ(Text("gr"), QStringLiteral("1,1,1;0,0,1"));
}

TEST_F(MatrizWindowTest, PasteAndSize)
{
    QApplication::clipboard()->setText(QStringLiteral("1\t2\r\n3\t4\r\n"));
    Grid("gc")->setFocus();
    Click("ToolButton7");
    EXPECT_EQ(Text("gc"), QStringLiteral("1,2;3,4;,"));
    EXPECT_EQ(w->findChild<QSpinBox*>(QStringLiteral("spFilas"))->value(), 3);
    w->findChild<QSpinBox*>(QStringLiteral("spColum"))->setValue(5);
    EXPECT_EQ(Grid("gc")->ColCount(), 6);
    QString wide = QStringLiteral("1");
    for (int i = 0; i < 300; ++i)
        wide += QStringLiteral("\t1");
    QApplication::clipboard()->setText(wide);
    Click("ToolButton7");
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes.back().text, QStringLiteral("El texto no cabe en una matriz de 255 filas y 255 columnas"));
    EXPECT_EQ(Grid("gc")->ColCount(), 6);
}

} // namespace

namespace {

TEST_F(MatrizWindowTest, CellsTakeOnlyTheCharactersOfNumbersAndLetters)
{
    TStringGridX* ga = Grid("ga");
    QLineEdit* editor = Editor(ga, 1, 1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("1..2"));
    EXPECT_EQ(editor->text(), QStringLiteral("1|2"));
    // The caret stays after the bar that took the place of the dots.
    editor->clear();
    QTest::keyClicks(editor, QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClicks(editor, QStringLiteral(".."));
    EXPECT_EQ(editor->text(), QStringLiteral("1|2"));
    EXPECT_EQ(editor->cursorPosition(), 2);
    QTest::keyClicks(editor, QStringLiteral("5*(), =/"));
    EXPECT_EQ(editor->text(), QStringLiteral("1|52"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ga->Cell(1, 1), QStringLiteral("1|52"));

    // A refused key typed on the grid opens no editor; an accepted one does.
    ga->setFocus();
    ga->SetCurrent(2, 1);
    QTest::keyClick(ga, Qt::Key_Asterisk);
    EXPECT_EQ(ga->viewport()->findChild<QLineEdit*>(), nullptr);
    QTest::keyClick(ga, Qt::Key_7);
    QLineEdit* opened = ga->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->text(), QStringLiteral("7"));
    QTest::keyClick(opened, Qt::Key_Return);

    // R takes no typing.
    TStringGridX* gr = Grid("gr");
    gr->setFocus();
    gr->SetCurrent(1, 1);
    QTest::keyClick(gr, Qt::Key_5);
    EXPECT_EQ(gr->viewport()->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(gr->Cell(1, 1), QString());
    EXPECT_EQ(Status(0), QStringLiteral("R [1,1]"));
}

TEST_F(MatrizWindowTest, TheActiveGridShowsInItsPanelAndOnTheStatusLine)
{
    const TAppearance& a = host.appearance;
    EXPECT_EQ(PanelColour("pa"), ToQColor(a.ClLuz));
    for (const char* p : {"pb", "pc", "pr"})
        EXPECT_EQ(PanelColour(p), ToQColor(a.ClSombra)) << p;
    TStringGridX* gb = Grid("gb");
    QTest::mouseClick(gb->viewport(), Qt::LeftButton, {}, gb->visualRect(gb->model()->index(3, 2)).center());
    EXPECT_EQ(w->ActiveGrid(), gb);
    EXPECT_EQ(Status(0), QStringLiteral("B [3,2]"));
    EXPECT_EQ(PanelColour("pb"), ToQColor(a.ClLuz));
    EXPECT_EQ(PanelColour("pa"), ToQColor(a.ClSombra));
    EXPECT_EQ(Grid("ga")->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(gb->frameShape(), QFrame::Box);
}

TEST_F(MatrizWindowTest, AppearanceFollowsTheHostsSchemeAndFonts)
{
    host.appearance.ClFondo = 0x102030;
    host.appearance.ClLuz = 0x405060;
    host.appearance.ExpressionFont = QFont(QStringLiteral("Liberation Serif"), 15);
    host.appearance.ResultFont = QFont(QStringLiteral("Liberation Mono"), 11);
    Activate(Grid("gc"));
    host.notices.Post(THostNotice::AppearanceChanged);
    for (const char* g : {"ga", "gb", "gc"}) {
        EXPECT_EQ(Grid(g)->palette().color(QPalette::Base), ToQColor(0x102030)) << g;
        EXPECT_EQ(Grid(g)->font().pointSize(), 15) << g;
    }
    EXPECT_EQ(Grid("gr")->palette().color(QPalette::Base), ToQColor(0x405060));
    EXPECT_EQ(Grid("gr")->font().family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(Named("spFilas")->palette().color(QPalette::Base), ToQColor(0x102030));
    // The scheme makes A the active grid again.
    EXPECT_EQ(w->ActiveGrid(), Grid("ga"));
    EXPECT_EQ(PanelColour("pa"), ToQColor(0x405060));
}

TEST_F(MatrizWindowTest, TheSizeHandleAddsAndTakesColumnsAndRows)
{
    Activate(Grid("gb"));
    QWidget* handle = Named("imgTamano");
    ASSERT_NE(handle, nullptr);
    const QPoint start = handle->rect().center();
    const auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(local), QPointF(handle->mapToGlobal(local)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(33, 16), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(Grid("gb")->ColCount(), 6);   // 3 + 2 data columns, and the fixed one
    EXPECT_EQ(Grid("gb")->RowCount(), 5);
    EXPECT_EQ(w->findChild<QSpinBox*>(QStringLiteral("spColum"))->value(), 5);
    // Back past the start: never fewer than one column.
    send(QEvent::MouseMove, start + QPoint(-500, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(Grid("gb")->ColCount(), 2);
    EXPECT_EQ(Grid("gb")->RowCount(), 4);
    send(QEvent::MouseButtonRelease, start + QPoint(-500, 0), Qt::LeftButton, Qt::NoButton);
    // Moving without the button changes nothing.
    send(QEvent::MouseMove, start + QPoint(100, 100), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Grid("gb")->ColCount(), 2);
    EXPECT_EQ(Grid("ga")->ColCount(), 4);
}

TEST_F(MatrizWindowTest, GridsAreDraggedOntoEachOther)
{
    TStringGridX* ga = Grid("ga");
    TStringGridX* gb = Grid("gb");
    std::vector<TStringGridX*> dragged;
    w->StartDrag = [&](TStringGridX* g) { dragged.push_back(g); };
    const QPoint data = ga->visualRect(ga->model()->index(1, 1)).center();
    const QPoint header = ga->visualRect(ga->model()->index(1, 0)).center();
    for (QPoint at : {header, data}) {
        QTest::mousePress(ga->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 0)), QPointF(ga->viewport()->mapToGlobal(at + QPoint(30, 0))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ga->viewport(), &move);
        QTest::mouseRelease(ga->viewport(), Qt::LeftButton, {}, at + QPoint(30, 0));
    }
    ASSERT_EQ(dragged.size(), 1u);   // from the data cells only
    EXPECT_EQ(dragged[0], ga);

    Fill(ga, {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3"), QStringLiteral("4")}});
    Fill(gb, {{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}});
    Activate(ga);
    Click("btnInversa");
    ASSERT_NE(w->LastResult(), nullptr);
    QMimeData mime;
    mime.setData(TfmMatriz::kGridMime, "ga");
    const QPoint at = gb->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(gb->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(gb->viewport(), &drop);
    EXPECT_EQ(Text("ga"), QStringLiteral("x,y,z"));
    EXPECT_EQ(Text("gb"), QStringLiteral("1,2;3,4"));
    EXPECT_EQ(ga->Cell(0, 0), QStringLiteral("A"));
    EXPECT_EQ(gb->Cell(0, 0), QStringLiteral("B"));
    EXPECT_EQ(w->LastResult(), nullptr);   // A, the active grid, took part
    EXPECT_EQ(w->findChild<QSpinBox*>(QStringLiteral("spColum"))->value(), 3);
    // Other data is not taken.
    QMimeData text;
    text.setText(QStringLiteral("1\t2"));
    QDragEnterEvent other(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(gb->viewport(), &other);
    EXPECT_FALSE(other.isAccepted());
}

TEST_F(MatrizWindowTest, DoubleClickFitsTheColumns)
{
    TStringGridX* gc = Grid("gc");
    gc->SetCell(2, 1, QStringLiteral("12345678901234567890"));
    const int before = gc->columnWidth(2);
    QTest::mouseDClick(gc->viewport(), Qt::LeftButton, {}, gc->visualRect(gc->model()->index(1, 1)).center());
    EXPECT_GT(gc->columnWidth(2), before + 40);
}

TEST_F(MatrizWindowTest, SettingsAndGridFilesOfTheLastSession)
{
    delete w;
    put(QFileInfo(SettingsFileName()).fileName(),
        "[Opciones]\r\nTamaMatPan1=200\r\nTamaMatPan2=300\r\nTamaMatPan3=120\r\nModoMatriz=1\r\n");
    put(QStringLiteral("gb.gri"), "1\t2\r\n3\t4\r\n");
    w = new TfmMatriz(host, nullptr);
    w->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->ComplexMode());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Matrices (Modo Complejo)"));
    EXPECT_EQ(Status(1), QStringLiteral("COMPL"));
    EXPECT_FALSE(w->findChild<QToolButton*>(QStringLiteral("ToolButton19"))->isEnabled());
    EXPECT_EQ(Named("pa")->width(), 200);
    EXPECT_EQ(Named("pc")->width(), 300);
    EXPECT_EQ(Named("Panel1")->height(), 120);
    EXPECT_EQ(Text("gb"), QStringLiteral("1,2;3,4"));
    EXPECT_EQ(Grid("gb")->Cell(0, 0), QStringLiteral("B"));

    // The user moves a splitter, switches the mode and types into C.
    auto* top = w->findChild<QSplitter*>(QStringLiteral("Splitter1"));
    const QList<int> sizes = top->sizes();
    top->setSizes({sizes[0] + 50, sizes[1] - 50});
    Click("btnRealComp");
    Grid("gc")->SetCell(1, 1, QStringLiteral("7"));
    delete w;
    w = nullptr;
    TAppIniFile ini;
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Opciones"), QStringLiteral("ModoMatriz"), true));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("TamaMatPan1"), 0), 250);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("TamaMatPan2"), 0), 300);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("TamaMatPan3"), 0), 120);
    EXPECT_EQ(get(QStringLiteral("gc.gri")), QByteArray("7\t\t\r\n\t\t\r\n\t\t\r\n"));
    EXPECT_EQ(get(QStringLiteral("gb.gri")), QByteArray("1\t2\r\n3\t4\r\n"));
    w = new TfmMatriz(host, nullptr);
}

TEST_F(MatrizWindowTest, HintsGoToTheStatusLine)
{
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(Named("ToolButton11"), &enter);
    EXPECT_EQ(Status(2), QStringLiteral("Determinante"));
    QApplication::sendEvent(Named("imgTamano"), &enter);
    EXPECT_EQ(Status(2), QStringLiteral("Arrastre para agregar o quitar filas y columnas"));
    TMenuItem* item = Item("PopupMenuX2", 2);
    item->showStatusText(item->parentWidget());
    EXPECT_EQ(Status(2), QStringLiteral("Calcula la suma matriz - C"));
}

TEST_F(MatrizWindowTest, TheContextMenuRunsTheToolBarActions)
{
    struct Expected {
        int tag;
        const char* caption;
    } expected[] = {{1301, "Resolver"}, {1302, "Triangular"}, {1303, "Invertir"}, {1304, "Vacio"},
                    {1305, "Matriz Identidad"}, {1307, "Calcular Determinante"}, {0, ""}, {1401, "Copiar"}, {1402, "Pegar"}};
    const QList<QAction*> actions = w->PopupMenu1->actions();
    ASSERT_EQ(actions.size(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(actions[i]->isSeparator(), expected[i].tag == 0) << i;
        if (expected[i].tag) {
            EXPECT_EQ(actions[i]->data().toInt(), expected[i].tag);
            EXPECT_EQ(actions[i]->text(), QString::fromUtf8(expected[i].caption));
        }
    }
    const auto byTag = [&](int tag) {
        for (QAction* a : actions)
            if (a->data().toInt() == tag)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    // A right click on B makes B the grid the items work on.
    TStringGridX* gb = Grid("gb");
    QTest::mouseClick(gb->viewport(), Qt::RightButton, {}, gb->visualRect(gb->model()->index(1, 1)).center());
    EXPECT_EQ(w->ActiveGrid(), gb);
    w->PopupMenu1->hide();
    Fill(gb, {{QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("c"), QStringLiteral("d")}});
    byTag(1307)->trigger();
    EXPECT_EQ(Text("gr"), QStringLiteral("Determinante B;ad -bc"));
    byTag(1401)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a\tb\r\nc\td\r\n"));
    byTag(1305)->trigger();
    EXPECT_EQ(Text("gb"), QStringLiteral("1,;,1"));
    byTag(1304)->trigger();
    EXPECT_EQ(Text("gb"), QStringLiteral(",;,"));
    byTag(1402)->trigger();
    EXPECT_EQ(Text("gb"), QStringLiteral("a,b;c,d;,"));
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(MatrizWindowTest, DropDownsKeepTheLastChosenItem)
{
    Fill(Grid("ga"), {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3"), QStringLiteral("4")}});
    Fill(Grid("gb"), {{QStringLiteral("0"), QStringLiteral("1")}, {QStringLiteral("1"), QStringLiteral("0")}});
    Activate(Grid("ga"));
    auto* product = w->findChild<QToolButton*>(QStringLiteral("ToolButton2"));
    EXPECT_EQ(product->text(), QStringLiteral("M.A"));
    EXPECT_EQ(product->toolTip(), QStringLiteral("Calcula el producto matriz * A"));
    Item("PopupMenuX3", 1)->trigger();
    EXPECT_EQ(Text("gr"), QStringLiteral("2,1;4,3"));
    EXPECT_EQ(product->text(), QStringLiteral("M.B"));
    EXPECT_EQ(product->toolTip(), QStringLiteral("Calcula el producto matriz * B"));
    // The button repeats its item.
    Grid("gb")->SetCell(1, 1, QStringLiteral("1"));
    Click("ToolButton2");
    EXPECT_EQ(Text("gr"), QStringLiteral("3,1;7,3"));
    // A refused item leaves the button as it was.
    Item("PopupMenuX1", 2)->trigger();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes.back().text, QStringLiteral("No se pueden sumar matrices de distintas dimensiones"));
    auto* sum = w->findChild<QToolButton*>(QStringLiteral("ToolButton15"));
    EXPECT_EQ(sum->text(), QStringLiteral("M+A"));
    Item("PopupMenuX2", 3)->trigger();   // A - R
    EXPECT_EQ(Text("gr"), QStringLiteral("-2,1;-4,1"));
    EXPECT_EQ(w->findChild<QToolButton*>(QStringLiteral("ToolButton14"))->toolTip(), QStringLiteral("Calcula la suma matriz - R"));
}

TEST_F(MatrizWindowTest, TheFormatMenuShowsTheLastResultAgain)
{
    Fill(Grid("ga"), {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3"), QStringLiteral("4")}});
    Activate(Grid("ga"));
    Click("btnInversa");
    EXPECT_EQ(Text("gr"), QStringLiteral("-2,1;3|2,-1|2"));
    Grid("ga")->SetCell(1, 1, QStringLiteral("9"));   // not computed again
    auto* format = w->findChild<QToolButton*>(QStringLiteral("ToolButton19"));
    w->PopupMenuX4->Items().at(1)->trigger();
    EXPECT_EQ(NumberFormat().Mode, 1);
    EXPECT_EQ(format->text(), QStringLiteral("Fracción Mixta"));
    const QString mixed = Text("gr");
    EXPECT_NE(mixed, QStringLiteral("-2,1;3|2,-1|2"));
    EXPECT_TRUE(mixed.startsWith(QStringLiteral("-2,1;1|1|2,"))) << mixed.toStdString();
    // A click takes the next format, after the last the first.
    for (const char* next : {"Redondeo", "Flotante", "Fracción Simple"}) {
        QTest::mouseClick(format, Qt::LeftButton, {}, QPoint(4, format->height() / 2));
        EXPECT_EQ(format->text(), QString::fromUtf8(next));
    }
    EXPECT_EQ(Text("gr"), QStringLiteral("-2,1;3|2,-1|2"));
    // A determinant is no matrix to show again.
    Click("ToolButton11");
    w->PopupMenuX4->Items().at(3)->trigger();
    EXPECT_EQ(Text("gr"), QStringLiteral("Determinante A;30"));
}

// R's cells are read again when R is dragged onto another grid: a cell shows
// its value, in every number format, and a junk scalar is an error.
TEST_F(MatrizWindowTest, ResultCellsHoldTheirValues)
{
    Fill(Grid("ga"), {{QStringLiteral("9"), QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("6"), QStringLiteral("5")},
                      {QStringLiteral("1"), QStringLiteral("20"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")},
                      {QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("30"), QStringLiteral("9"), QStringLiteral("1")},
                      {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("40"), QStringLiteral("6")},
                      {QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("50")}});
    Activate(Grid("ga"));
    for (int format = 0; format < 4; ++format) {
        SCOPED_TRACE(format);
        w->PopupMenuX4->Items().at(format)->trigger();
        Click("ToolButton11");
        EXPECT_EQ(Text("gr"), QStringLiteral("Determinante A;7669284"));
    }
    w->PopupMenuX4->Items().at(0)->trigger();
    Fill(Grid("ga"), {{QStringLiteral("3"), QStringLiteral("1")}, {QStringLiteral("1"), QStringLiteral("33334")}});
    Click("btnInversa");
    // 33334/100001 has no fraction within the display's denominators: the
    // decimal with every digit (the last one is the elimination's).
    const QString cell = Grid("gr")->Cell(1, 1);
    EXPECT_TRUE(cell.startsWith(QStringLiteral("0.3333366666333336666"))) << cell.toStdString();
    EXPECT_TRUE(Grid("gr")->Cell(2, 1).startsWith(QStringLiteral("-0.0000099999000009999"))) << Grid("gr")->Cell(2, 1).toStdString();

    w->ExecInput = [](TfmInput& box) {
        box.Texto->SetText(QStringLiteral("dos"));
        return int(TfmInput::mrOk);
    };
    Click("ToolButton18");
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("'dos' no es un valor decimal válido"));
    EXPECT_EQ(Grid("gr")->Cell(1, 1), cell);
}

TEST_F(MatrizWindowTest, TheScalarBoxOffersTheCellNamesAndScales)
{
    QStringList titles;
    QString answer = QStringLiteral("2|3");
    int result = TfmInput::mrOk;
    w->ExecInput = [&](TfmInput& box) {
        titles << box.windowTitle();
        std::vector<TAutoCompName> names = box.NameTable()->Names();
        QStringList seen;
        for (const TAutoCompName& n : names)
            if (n.Name == QLatin1String("Val") || n.Name == QLatin1String("m") || n.Name == QLatin1String("n"))
                seen << n.Name + QLatin1Char(':') + n.Description;
        seen.sort();
        EXPECT_EQ(seen.join(QLatin1Char('|')), QStringLiteral("Val:Valor actual del elemento m,n|m:Número de columna|n:Número de fila"));
        box.Texto->SetText(answer);
        return result;
    };
    Fill(Grid("ga"), {{QStringLiteral("3"), QStringLiteral("6")}});
    Activate(Grid("ga"));
    Click("ToolButton18");
    EXPECT_EQ(titles, QStringList{QStringLiteral("Introduzca un valor para el producto escalar")});
    EXPECT_EQ(Text("gr"), QStringLiteral("2,4"));
    ASSERT_NE(w->LastResult(), nullptr);

    // Complex: each product written into the same cell of R, the other cells kept.
    Click("btnRealComp");
    Fill(Grid("ga"), {{QStringLiteral("1+i"), QStringLiteral("0")}});
    Grid("gr")->SetCell(2, 1, QStringLiteral("viejo"));
    answer = QStringLiteral("2");
    Click("ToolButton18");
    EXPECT_EQ(Grid("gr")->Cell(1, 1), complex::ComplexToStr(complex::TComplex{2, 2}));
    EXPECT_EQ(Grid("gr")->Cell(2, 1), QStringLiteral("viejo"));
    EXPECT_EQ(w->LastResult(), nullptr);
    // Cancel: nothing happens.
    result = TfmInput::mrCancel;
    answer = QStringLiteral("5");
    Click("ToolButton18");
    EXPECT_EQ(Grid("gr")->Cell(1, 1), complex::ComplexToStr(complex::TComplex{2, 2}));
    EXPECT_EQ(titles.size(), 3);
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(MatrizWindowTest, EscStopsALongSymbolicDeterminant)
{
    TStringGridX* ga = Grid("ga");
    ga->SetColCount(9);
    ga->SetRowCount(9);
    ga->SetFixed(1, 1);
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 8; ++c)
            ga->SetCell(c, r, QString(QChar('a' + c - 1)) + QChar('i' + r - 1) + QStringLiteral("+") + QChar('q' + (c + r) % 10));
    Activate(ga);
    Grid("gr")->SetCell(1, 1, QStringLiteral("antes"));
    // Every reading of the clock is 60 ms later.
    std::uint32_t now = 0;
    Basicos().TickSource = [&] { return now += 60; };
    KeyStateTracker::instance();
    QTest::keyPress(w, Qt::Key_Escape);
    ASSERT_TRUE(IsKeyDown(vk::Escape));
    Click("ToolButton11");
    QTest::keyRelease(w, Qt::Key_Escape);
    EXPECT_EQ(Status(2), QStringLiteral("Cálculo cancelado"));
    EXPECT_EQ(Grid("gr")->Cell(1, 1), QStringLiteral("antes"));
    EXPECT_EQ(sink.count(), 0);
    Basicos().TickSource = nullptr;
}

TEST_F(MatrizWindowTest, ComplexRefusalsCarryTheirIcons)
{
    Click("btnRealComp");
    Fill(Grid("ga"), {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("2"), QStringLiteral("4")}});
    Activate(Grid("ga"));
    Click("btnInversa");
    Click("ToolButton12");
    Fill(Grid("ga"), {{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1")}, {QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("1")}});
    Click("ToolButton12");
    ASSERT_EQ(sink.count(), 3);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("La matriz no tiene inversa"));
    EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, mb::IconInformation);
    EXPECT_EQ(sink.boxes[1].text, QStringLiteral("La matriz debe tener más columnas que filas"));
    EXPECT_EQ(sink.boxes[1].flags & mb::IconMask, mb::IconError);
    EXPECT_EQ(sink.boxes[2].text, QStringLiteral("Determinante cero. El sistema no es compatible y determinado"));
    EXPECT_EQ(sink.boxes[2].flags & mb::IconMask, mb::IconError);
}

TEST_F(MatrizWindowTest, CutAndCopyKeysOfTheWindow)
{
    Fill(Grid("gb"), {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3"), QStringLiteral("4")}});
    Activate(Grid("gb"));
    QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1\t2\r\n3\t4\r\n"));
    EXPECT_EQ(Text("gb"), QStringLiteral(",;,"));
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text("gb"), QStringLiteral("1,2;3,4;,"));
}

} // namespace

namespace {

// The questions of a singular system, as the user meets them: the warning box
// with Yes and No; Yes shows the triangulation, No ends without a word.
TEST_F(MatrizWindowTest, SingularSystemsAskInAWarningBox)
{
    struct Case {
        std::vector<std::vector<QString>> rows;
        const char* text;
        const char* caption;
        int answer;
        const char* shown;
    } cases[] = {
        {{{"1", "1", "1"}, {"2", "2", "3"}}, "Sistema INCOMPATIBLE\r\n\r\n¿Desea ver una triangulación?", "Matrices", idYes,
         "1,1,1;0,0,1"},
        {{{"1", "1", "1"}, {"2", "2", "2"}},
         "Sistema compatible INDETERMINADO\r\n(tiene infinitas soluciones)\r\n\r\n¿Desea ver una triangulación?", "", idNo,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        sink.boxes.clear();
        sink.answers = {c.answer};
        Fill(Grid("ga"), c.rows);
        Activate(Grid("ga"));
        Grid("gr")->SetCell(1, 1, QStringLiteral("antes"));
        Click("ToolButton12");
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(sink.boxes[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(sink.boxes[0].caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(sink.boxes[0].flags, mb::YesNo | mb::IconWarning);
        EXPECT_EQ(Text("gr").remove(QLatin1Char(',')).remove(QLatin1Char(';')).isEmpty(), *c.shown == 0);
        if (*c.shown)
            EXPECT_EQ(Text("gr"), QString::fromUtf8(c.shown));
    }
}

} // namespace

namespace {

// Every operation of the tool bar, in rational and in complex mode, on
// A = [[1, 2], [3, 4]] and B = [[0, 1], [1, 0]].
TEST_F(MatrizWindowTest, EveryOperationInBothModes)
{
    const auto complexText = [](std::initializer_list<std::initializer_list<double>> rows) {
        QStringList lines;
        for (const auto& row : rows) {
            QStringList cells;
            for (double x : row)
                cells << complex::ComplexToStr(complex::TComplex{Extended(x), 0});
            lines << cells.join(QLatin1Char(','));
        }
        return lines.join(QLatin1Char(';'));
    };
    struct Op {
        const char* name;
        std::function<void()> run;
        const char* grid;
        QString rational;
        QString complex;
    };
    const std::vector<Op> ops = {
        {"determinante", [&] { Click("ToolButton11"); }, "gr", QStringLiteral("Determinante A;-2"),
         QStringLiteral("Determinante A;") + complex::ComplexToStr(complex::TComplex{-2, 0})},
        {"triangular", [&] { Click("ToolButton1"); }, "gr", QStringLiteral("1,2;0,-2"), complexText({{1, 2}, {0, -2}})},
        {"inversa", [&] { Click("btnInversa"); }, "gr", QStringLiteral("-2,1;3|2,-1|2"), complexText({{-2, 1}, {1.5, -0.5}})},
        {"suma", [&] { Item("PopupMenuX1", 1)->trigger(); }, "gr", QStringLiteral("1,3;4,4"), complexText({{1, 3}, {4, 4}})},
        {"resta", [&] { Item("PopupMenuX2", 1)->trigger(); }, "gr", QStringLiteral("1,1;2,4"), complexText({{1, 1}, {2, 4}})},
        {"producto", [&] { Item("PopupMenuX3", 1)->trigger(); }, "gr", QStringLiteral("2,1;4,3"), complexText({{2, 1}, {4, 3}})},
        {"cuadrado", [&] { Click("ToolButton17"); }, "gr", QStringLiteral("7,10;15,22"), complexText({{7, 10}, {15, 22}})},
        {"escalar", [&] { Click("ToolButton18"); }, "gr", QStringLiteral("2,4;6,8"), complexText({{2, 4}, {6, 8}})},
        {"transpuesta", [&] { Click("btnTranspuesta"); }, "ga", QStringLiteral("1,3;2,4"), complexText({{1, 3}, {2, 4}})},
        {"identidad", [&] { Click("btnIdentidad"); }, "ga", QStringLiteral("1,;,1"), QStringLiteral("1,;,1")},
        {"vaciar", [&] { Click("btnVaciar"); }, "ga", QStringLiteral(",;,"), QStringLiteral(",;,")},
    };
    w->ExecInput = [](TfmInput& box) {
        box.Texto->SetText(QStringLiteral("2"));
        return int(TfmInput::mrOk);
    };
    Fill(Grid("gb"), {{QStringLiteral("0"), QStringLiteral("1")}, {QStringLiteral("1"), QStringLiteral("0")}});
    for (bool complexMode : {false, true}) {
        if (w->ComplexMode() != complexMode)
            Click("btnRealComp");
        for (const Op& op : ops) {
            SCOPED_TRACE(std::string(op.name) + (complexMode ? " complejo" : " racional"));
            Fill(Grid("ga"), {{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3"), QStringLiteral("4")}});
            Fill(Grid("gr"), {{QString(), QString()}, {QString(), QString()}});
            Activate(Grid("ga"));
            op.run();
            EXPECT_EQ(Text(op.grid), complexMode ? op.complex : op.rational);
        }
    }
    EXPECT_EQ(sink.count(), 0);
}

} // namespace

namespace {

// A grid file that cannot be read is reported once and never overwritten;
// the other grids are still loaded and saved.
TEST_F(MatrizWindowTest, AnUnreadableGridFileIsLeftAlone)
{
    delete w;   // (writes the grid files of its own)
    w = nullptr;
    QFile::remove(path(QStringLiteral("ga.gri")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ga.gri")));
    put(QStringLiteral("gb.gri"), "5\r\n");
    sink.boxes.clear();
    w = new TfmMatriz(host, nullptr);
    EXPECT_EQ(sink.count(), 1);
    EXPECT_EQ(Text("gb"), QStringLiteral("5"));
    Grid("gb")->SetCell(1, 1, QStringLiteral("6"));
    delete w;
    w = nullptr;
    EXPECT_EQ(sink.count(), 1);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("ga.gri"))).isDir());
    EXPECT_EQ(get(QStringLiteral("gb.gri")), QByteArray("6\r\n"));
    w = new TfmMatriz(host, nullptr);
}

} // namespace

namespace {

int PixelsOf(const QToolButton* b, TColor colour) { return IconPixelsOf(b->icon(), colour); }

} // namespace

TEST_F(MatrizWindowTest, EveryToolButtonShowsAPictureInTheSchemeTextColourAndKeepsItsHint)
{
    delete w;
    host.appearance.ClTexto = RGBColor(200, 0, 0);
    w = new TfmMatriz(host, nullptr);
    w->show();
    const QList<QToolButton*> buttons = w->findChild<QWidget*>(QStringLiteral("ToolBar1"))->findChildren<QToolButton*>();
    int pictures = 0;
    for (QToolButton* b : buttons) {
        if (b->objectName().isEmpty() || b->objectName().startsWith(QStringLiteral("qt_")))
            continue;   // the tool bar's own extension button
        SCOPED_TRACE(b->objectName().toStdString());
        ++pictures;
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly) << "a picture, not the caption";
        EXPECT_FALSE(b->toolTip().isEmpty());
        EXPECT_GT(PixelsOf(b, RGBColor(200, 0, 0)), 4);
    }
    EXPECT_EQ(pictures, 17);
    auto* copy = w->findChild<QToolButton*>(QStringLiteral("ToolButton6"));
    EXPECT_EQ(copy->toolTip(), QStringLiteral("Copiar Matriz"));
    // A new scheme draws them again; a chosen item brings its own picture.
    host.appearance.ClTexto = RGBColor(0, 0, 160);
    host.notices.Post(THostNotice::AppearanceChanged);
    EXPECT_GT(PixelsOf(copy, RGBColor(0, 0, 160)), 4);
    EXPECT_EQ(PixelsOf(copy, RGBColor(200, 0, 0)), 0);
    auto* product = w->findChild<QToolButton*>(QStringLiteral("ToolButton2"));
    const QImage before = product->icon().pixmap(16, 16).toImage();
    Fill(Grid("ga"), {{QStringLiteral("1")}});
    Fill(Grid("gb"), {{QStringLiteral("2")}});
    Activate(Grid("ga"));
    Item("PopupMenuX3", 1)->trigger();
    EXPECT_NE(product->icon().pixmap(16, 16).toImage(), before) << "M.B, not M.A";
    EXPECT_GT(PixelsOf(product, RGBColor(0, 0, 160)), 4);
}
