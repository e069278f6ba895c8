// The small custom controls: mouse-aware paint box, gradient panel, popup menu
// handing down its events, the web-address opener and the transparent edits.
#include "controls/area.h"
#include "controls/areafondo.h"
#include "controls/popupmenux.h"
#include "controls/pvlurl.h"
#include "controls/transedit.h"
#include "support/recordingsink.h"
#include "support/fixtures.h"

#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"
#include "mouse.h"

#include <QPainter>
#include <QTextDocument>

TEST(Area, MouseOverFiresOnceForRepeatedEnters)
{
    TArea a;
    int fired = 0;
    a.OnMouseOver = [&](QObject* s) {
        EXPECT_EQ(s, &a);
        ++fired;
    };
    enter(&a);
    enter(&a);
    EXPECT_TRUE(a.MouseInControl());
    EXPECT_EQ(fired, 1);
    leave(&a);
    EXPECT_FALSE(a.MouseInControl());
    EXPECT_EQ(fired, 2);
    leave(&a);
    EXPECT_EQ(fired, 2);
}

TEST(Area, PaintGivesTheCanvasToOnPaint)
{
    TArea a;
    a.resize(20, 20);
    bool hadCanvas = false;
    a.OnPaint = [&](QObject*) { hadCanvas = a.Canvas() != nullptr; };
    a.grab();
    EXPECT_TRUE(hadCanvas);
    EXPECT_EQ(a.Canvas(), nullptr);
}

// A handler that raises ends in an error box at the control, never inside Qt.
using AreaErrors = ProcessStateTest;

TEST_F(AreaErrors, HandlerExceptionsEndInAnErrorBox)
{
    RecordingSink sink;
    Basicos().Messages = &sink;
    TArea a;
    a.OnMouseDown = [](QObject*, Qt::MouseButton, TShiftState, int, int) {
        throw Exception(QStringLiteral("Fallo del manejador"));
    };
    a.OnMouseUp = [](QObject*, Qt::MouseButton, TShiftState, int, int) { throw EAbort(); };
    press(&a, QPoint(3, 3));
    release(&a, QPoint(3, 3));
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Fallo del manejador")});
    Basicos().reset();
}

TEST(AreaFondo, Defaults)
{
    TAreaFondo f;
    EXPECT_EQ(f.Estilo(), efCilindroHor);
    EXPECT_EQ(f.Color(), clWhite);
    EXPECT_EQ(f.Color2(), RGBColor(128, 128, 128));
    EXPECT_EQ(f.Posicion(), 3);
    EXPECT_TRUE(f.Caption().isEmpty());
    f.setPosicion(12);
    EXPECT_EQ(f.Posicion(), 9);
}

TEST(AreaFondo, SphereCentreFollowsThePosition)
{
    TAreaFondo f;
    f.resize(100, 60);
    f.setPosicion(5);
    EXPECT_EQ(f.SphereCentre(), QPoint(50, 30));
    f.setPosicion(3);
    EXPECT_EQ(f.SphereCentre(), QPoint(30, 18));
}

TEST(AreaFondo, StylesWithoutBackgroundShowWhatOnPaintDrew)
{
    TAreaFondo f;
    f.resize(40, 40);
    f.setColor(RGBColor(0, 0, 255));
    f.setColor2(RGBColor(0, 0, 255));
    f.OnPaint = [&](QObject*) { f.Canvas()->fillRect(0, 0, 40, 40, Qt::red); };
    struct Case {
        TEstiloFondo estilo;
        bool covers;
    } cases[] = {{efCilindroHor, true}, {efCilindroVer, true}, {efGradienteHor, true}, {efGradienteVer, true},
                 {efEsfera, true},      {efEstirar, false},    {efMozaico, false},     {efAlfombra, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.estilo);
        f.setEstilo(c.estilo);
        const QColor px = f.grab().toImage().pixelColor(20, 20);
        EXPECT_EQ(px == QColor(Qt::red), !c.covers);
    }
}

TEST(AreaFondo, MouseOverAsForTArea)
{
    TAreaFondo f;
    int fired = 0;
    f.OnMouseOver = [&](QObject*) { ++fired; };
    enter(&f);
    enter(&f);
    leave(&f);
    EXPECT_EQ(fired, 2);
}

namespace {

struct MenuFixture : testing::Test {
    TPopupMenuX menu;
    TMenuItem *a, *b, *b1, *b2, *c, *d, *d1;
    QList<QObject*> clicked;
    QList<QObject*> ownClicked;
    void SetUp() override
    {
        a = new TMenuItem(QStringLiteral("A"));
        b = new TMenuItem(QStringLiteral("B"));
        b1 = new TMenuItem(QStringLiteral("B1"));
        b2 = new TMenuItem(QStringLiteral("B2"));
        c = new TMenuItem(QStringLiteral("C"));
        d = new TMenuItem(QStringLiteral("D"));
        d1 = new TMenuItem(QStringLiteral("D1"));
        menu.Add(a);
        menu.Add(b);
        b->Add(b1);
        b->Add(b2);
        menu.Add(c);
        menu.Add(d);
        d->Add(d1);
        a->OnClick = [this](QObject* s) { ownClicked << s; };
        d->OnClick = [this](QObject* s) { ownClicked << s; };
        menu.OnClick = [this](QObject* s) { clicked << s; };
    }
};

} // namespace

TEST_F(MenuFixture, ClickHandlerGoesToLeavesWithoutTheirOwn)
{
    menu.DoPopup();
    EXPECT_FALSE(b->OnClick); // items with sub-items get none
    EXPECT_TRUE(b1->OnClick);
    EXPECT_TRUE(b2->OnClick);
    EXPECT_TRUE(c->OnClick);
    EXPECT_FALSE(d1->OnClick); // below an item with its own handler: left alone
    c->trigger();
    b2->trigger();
    a->trigger();
    EXPECT_EQ(clicked, (QList<QObject*>{c, b2}));
    EXPECT_EQ(ownClicked, (QList<QObject*>{a}));
}

TEST_F(MenuFixture, DrawAndMeasureHandlersReachEveryItem)
{
    int drawn = 0;
    menu.OnAdvancedDrawItem = [&](QObject*, QPainter*, QRect, TOwnerDrawState) { ++drawn; };
    menu.OnDrawItem = [](QObject*, QPainter*, QRect, bool) {};
    menu.OnMeasureItem = [](QObject*, QPainter*, int&, int&) {};
    bool ownDraw = false;
    b1->OnDrawItem = [&](QObject*, QPainter*, QRect, bool) { ownDraw = true; };
    menu.DoPopup();
    for (TMenuItem* i : {a, b, b1, b2, c, d, d1}) {
        SCOPED_TRACE(i->text().toStdString());
        EXPECT_TRUE(i->OnAdvancedDrawItem);
        EXPECT_TRUE(i->OnDrawItem);
        EXPECT_TRUE(i->OnMeasureItem);
    }
    b1->OnDrawItem(b1, nullptr, QRect(), false);
    EXPECT_TRUE(ownDraw); // its own handler was kept
}

TEST_F(MenuFixture, ItemsAddedLaterAreCoveredAtTheNextPopup)
{
    int popups = 0;
    menu.OnPopup = [&](QObject*) { ++popups; };
    menu.popup(QPoint(10, 10)); // the popup itself hands the events down
    menu.hide();
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(c->OnClick);
    auto* e = new TMenuItem(QStringLiteral("E"));
    menu.Add(e);
    EXPECT_FALSE(e->OnClick);
    menu.popup(QPoint(10, 10));
    menu.hide();
    EXPECT_EQ(popups, 2);
    ASSERT_TRUE(e->OnClick);
    e->trigger();
    EXPECT_EQ(clicked, (QList<QObject*>{e}));
}

TEST(PvlUrl, ShowCommandValues)
{
    struct Case {
        TUrlShowCmd cmd;
        int value;
    } cases[] = {{ssHide, 0},          {ssMaximize, 3},          {ssMinimize, 6},      {ssRestore, 9},
                 {ssShow, 5},          {ssShowDefault, 10},      {ssShowMaximized, 3}, {ssShowMinimized, 2},
                 {ssShowMinNoActivate, 7}, {ssShowNA, 8},        {ssShowNoActivate, 4}, {ssShowNormal, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cmd);
        EXPECT_EQ(ShowCommandValue(c.cmd), c.value);
    }
    EXPECT_EQ(TpvlUrl().UrlShowCommand, ssShowDefault);
}

TEST(PvlUrl, OpenCommandIsCutBeforeThePlaceholder)
{
    struct Case {
        const char* registered;
        const char* cut;
    } cases[] = {
        {"\"C:\\Nav\\nav.exe\" \"%1\" -nohome", "\"C:\\Nav\\nav.exe\""},
        {"C:\\Nav\\nav.exe %1 -x", "C:\\Nav\\nav.exe"},
        {"nav.exe -url \"%1\"", "nav.exe -url"},
        {"nav.exe", "nav.exe"},
        {"nav.exe %1 \"%1\"", "nav.exe %1"}, // the quoted placeholder is looked for first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.registered);
        EXPECT_EQ(CutOpenCommand(QString::fromUtf8(c.registered)), QString::fromUtf8(c.cut));
    }
}

namespace {
struct UrlFixture : ProcessStateTest {};
} // namespace

TEST_F(UrlFixture, RunsTheCutCommandWithTheAddress)
{
    QString ranCommand, ranUrl;
    int ranShow = -1;
    TpvlUrl::services().HtmOpenCommand = [] {
        return std::optional<QString>(QStringLiteral("\"/opt/nav/nav\" \"%1\" -nohome"));
    };
    TpvlUrl::services().Run = [&](const QString& cmd, const QString& url, int show) {
        ranCommand = cmd;
        ranUrl = url;
        ranShow = show;
        return true;
    };
    TpvlUrl u;
    u.Url = QStringLiteral("http://example.com/a b");
    u.UrlShowCommand = ssShowMaximized;
    u.OpenUrl();
    EXPECT_EQ(ranCommand, QStringLiteral("\"/opt/nav/nav\""));
    EXPECT_EQ(ranUrl, QStringLiteral("http://example.com/a b"));
    EXPECT_EQ(ranShow, 3);
}

TEST_F(UrlFixture, NoBrowserRegisteredDoesNothing)
{
    bool ran = false;
    TpvlUrl::services().HtmOpenCommand = [] { return std::optional<QString>(); };
    TpvlUrl::services().Run = [&](const QString&, const QString&, int) { return ran = true; };
    TpvlUrl u;
    u.Url = QStringLiteral("http://example.com");
    EXPECT_NO_THROW(u.OpenUrl());
    EXPECT_FALSE(ran);
}

TEST_F(UrlFixture, ABrowserThatCannotStartIsReported)
{
    TpvlUrl::services().HtmOpenCommand = [] { return std::optional<QString>(QStringLiteral("nav %1")); };
    TpvlUrl::services().Run = [](const QString&, const QString&, int) { return false; };
    TpvlUrl u;
    try {
        u.OpenUrl();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("No se puede activar el navegador predeterminado"));
    }
}

TEST(TransEdit, AlignmentAndTransparency)
{
    TTransEdit e;
    EXPECT_EQ(e.AlignText(), taLeftJustify);
    EXPECT_FALSE(e.Transparent());
    EXPECT_TRUE(e.alignment() & Qt::AlignLeft);
    e.setAlignText(taRightJustify);
    EXPECT_TRUE(e.alignment() & Qt::AlignRight);
    e.setAlignText(taCenter);
    EXPECT_TRUE(e.alignment() & Qt::AlignHCenter);
    e.setColor(RGBColor(200, 100, 50));
    EXPECT_EQ(e.palette().color(QPalette::Base), QColor(200, 100, 50));
    e.setTransparent(true);
    EXPECT_EQ(e.palette().color(QPalette::Base).alpha(), 0);
    EXPECT_FALSE(e.autoFillBackground());
    e.setTransparent(false);
    EXPECT_EQ(e.palette().color(QPalette::Base), QColor(200, 100, 50));
}

TEST(TransMemo, AlignmentAndTransparency)
{
    TTransMemo m;
    m.setAlignText(taRightJustify);
    EXPECT_TRUE(m.document()->defaultTextOption().alignment() & Qt::AlignRight);
    m.setTransparent(true);
    EXPECT_TRUE(m.Transparent());
    EXPECT_EQ(m.palette().color(QPalette::Base).alpha(), 0);
    EXPECT_FALSE(m.viewport()->autoFillBackground());
    m.setTransparent(false);
    EXPECT_TRUE(m.viewport()->autoFillBackground());
}

// Setters store and repaint; the caption repaints only when it changes.
TEST(AreaFondo, SettersRepaint)
{
    TAreaFondo f;
    f.resize(30, 30);
    int paints = 0;
    f.OnPaint = [&](QObject*) { ++paints; };
    f.show();
    QApplication::processEvents();
    const int shown = paints;
    ASSERT_GE(shown, 1);
    f.setColor2(clRed);
    QApplication::processEvents();
    EXPECT_EQ(paints, shown + 1);
    f.setCaption(QStringLiteral("Título"));
    QApplication::processEvents();
    EXPECT_EQ(paints, shown + 2);
    f.setCaption(QStringLiteral("Título"));
    QApplication::processEvents();
    EXPECT_EQ(paints, shown + 2);
    f.setEstilo(efEsfera);
    f.setPosicion(5);
    QApplication::processEvents();
    EXPECT_EQ(paints, shown + 3); // repaints asked together are painted once
}
