// The main window's options: the "Opciones" section of the settings file,
// read once at creation through the same setters the menus use, each value
// checked against what the window offers before it is used, and written back
// at closing in the window's order.
#include "shell/frmcalc.h"

#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "controls/menudraw.h"
#include "controls/toolpictures.h"
#include "drawkit/drawkit.h"
#include "engine/bases.h"
#include "engine/real/expresion.h"
#include "foundation/core/zelini.h"
#include "services/formulaview.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QToolButton>

namespace {

const QString kOptionsSection = QStringLiteral("Opciones");

// The tool windows' open flags, in the order they are written.
const char* const kToolKeys[] = {"Conversor", "Formulas", "Primos",       "Fechas",     "Matrices",
                                 "Estadisticas", "Fracciones", "Complejos", "Polinomios", "TablaPer"};

// Font styles as the file codes them: 0 regular, 1 bold, 2 italic, 3 both;
// any other value leaves the style as designed.
void ApplyStyle(QFont& font, int style)
{
    if (style < 0 || style > 3)
        return;
    font.setBold(style & 1);
    font.setItalic(style & 2);
}

// A box's font from the keys prefix + "Nom", "Tam" and "Tipo"; the stored face
// name stays even where the system lacks that face.
QFont ReadFont(TZelIniFile& ini, const QString& prefix, QFont font, int defaultStyle)
{
    font.setFamily(ini.ReadString(kOptionsSection, prefix + QStringLiteral("Nom"), QStringLiteral("MS Sans Serif")));
    const int size = ini.ReadInteger(kOptionsSection, prefix + QStringLiteral("Tam"), 10);
    if (size > 0)
        font.setPointSize(size);
    ApplyStyle(font, ini.ReadInteger(kOptionsSection, prefix + QStringLiteral("Tipo"), defaultStyle));
    return font;
}

} // namespace

bool TfrmCalcu::IsOfferedDigits(int d) { return d == 100 || (d >= 0 && d <= 16 && d % 2 == 0); }

void TfrmCalcu::ReadOptions(TZelIniFile& ini)
{
    CalcGlobals& g = Calc();
    auto integer = [&](const char* key, int def) { return ini.ReadInteger(kOptionsSection, QLatin1String(key), def); };
    auto boolean = [&](const char* key, bool def) { return ini.ReadBool(kOptionsSection, QLatin1String(key), def); };

    // A value the menus do not offer falls back to the default.
    const int angle = integer("FAngulo", 0);
    SetAngleMode(std::uint8_t(angle >= 0 && angle <= 5 ? angle : 0));
    SetGroupDigits(boolean("SeparaMiles", false));
    const int base = integer("BaseResultado", 10);
    SetResultBase(base >= 2 && base <= 36 ? base : 10);
    const int digits = integer("Digitos", 100);
    SetDigits(IsOfferedDigits(digits) ? digits : 100);
    const int notation = integer("ModoDigitos", 0);
    SetNumberFormat(notation >= 0 && notation <= 2 ? notation : 0);
    const Extended tolerance = ini.ReadFloat(kOptionsSection, QStringLiteral("MaxDif"), 1e-15L);
    real::engineState().EqualityTolerance = tolerance >= 0 ? tolerance : 1e-15L;
    SetStayOnTop(boolean("SiempreVisible", false));
    SetShowKeyboard(boolean("MostrarTeclado", true));
    SetReducedMode(boolean("ModoReducido", false));
    Magnetic = boolean("Magnetico", true);
    g.MinIcon = boolean("MinIcon", false);
    AutoComp().AutoCompleteOn = boolean("Autocompletar", true);
    g.NoAuto = boolean("NoAuto", true);
    m_chemistry = boolean("MMR", true);
    SetChemistryHooks();
    SetNoTitle(boolean("NoTitulo", false));
    const int maxList = integer("MaxList", 50);
    g.MaxList = maxList > 0 ? maxList : 50;

    cmbEdit->setFont(ReadFont(ini, QStringLiteral("FE"), cmbEdit->font(), 0));
    Edit2->setFont(ReadFont(ini, QStringLiteral("FR"), Edit2->font(), 1));

    TAppearance& a = m_appearance;
    a.ClLuz = TColor(integer("ClLuz", 0xF7F7F7));
    a.ClSombra = TColor(integer("ClSombra", 0xEDD2AF));
    a.ClTexto = TColor(integer("ClTexto", 0x674018));
    a.ClFondo = TColor(integer("ClFondo", 0xE8F0EE));

    FormMXSettings().TranspInactive = boolean("Transp", false);
    FormMXSettings().TranspActive = boolean("TranspAct", false);
    const int percent = integer("TranspVal", 15);
    FormMXSettings().TranspPercent = std::uint8_t(percent >= 0 && percent <= 100 ? percent : 15);

    SetShowBar(boolean("VerBarra", true));
    SetShowTotal(boolean("VerTotal", true));
    SetShowHistory(boolean("VerHistorial", true));
    // Without saved heights the designed split stays (the splitter has no
    // heights of its own before the window is first laid out).
    const int pictureHeight = integer("AltoF", kDesignedSplit[0]);
    const int historyHeight = integer("AltoH", kDesignedSplit[1]);
    if (pictureHeight >= 0 && historyHeight >= 0) {
        Splitter1->setSizes({pictureHeight, historyHeight});
        // Before the first show the splitter has no height to share out:
        // the heights are given again once it has.
        if (!m_laidOut)
            m_pendingSplit = {pictureHeight, historyHeight};
    }
    // The tool windows reopen through the tool protocol; until a tool exists
    // its flag is kept as it was read.
    for (const char* key : kToolKeys)
        m_toolFlags[QLatin1String(key)] = boolean(key, false);
    SetAutoDraw(boolean("AutoDibujar", true));
    ApplySettings();
}

void TfrmCalcu::WriteOptions(TZelIniFile& ini)
{
    const NumberTextState& nt = numtext();
    auto integer = [&](const char* key, int v) { ini.WriteInteger(kOptionsSection, QLatin1String(key), v); };
    auto boolean = [&](const char* key, bool v) { ini.WriteBool(kOptionsSection, QLatin1String(key), v); };
    integer("FAngulo", m_calc->Main().AngleMode);
    boolean("SeparaMiles", nt.GroupDigits);
    integer("BaseResultado", nt.DisplayBase);
    integer("Digitos", nt.StripTrailingZeros ? 100 : nt.DisplayDigits);
    integer("ModoDigitos", nt.DisplayNotation);
    boolean("SiempreVisible", TopMost());
    boolean("ModoReducido", m_reducedMode);
    boolean("MostrarTeclado", ComboExpr().KeyboardEnabled);
    boolean("Autocompletar", AutoComp().AutoCompleteOn);
    boolean("AutoDibujar", m_autoDraw);
    boolean("MMR", m_chemistry);
    boolean("NoTitulo", m_noTitle);
    boolean("Magnetico", Magnetic);
    integer("MaxList", Calc().MaxList);
    // A tool that exists saves whether it is open; another keeps its flag.
    for (const char* key : kToolKeys) {
        bool open = m_toolFlags.value(QLatin1String(key));
        for (const ToolState& t : m_tools)
            if (t.entry.FlagKey == QLatin1String(key))
                open = t.open;
        boolean(key, open);
    }
    boolean("VerBarra", m_showBar);
    boolean("VerTotal", m_showTotal);
    boolean("VerHistorial", m_showHistory);
    const QList<int> sizes = Splitter1->sizes();
    integer("AltoF", sizes.value(0));
    integer("AltoH", sizes.value(1));
    integer("ClLuz", int(m_appearance.ClLuz));
    integer("ClSombra", int(m_appearance.ClSombra));
    integer("ClTexto", int(m_appearance.ClTexto));
    integer("ClFondo", int(m_appearance.ClFondo));
    boolean("Transp", FormMXSettings().TranspInactive);
}

// ---------------------------------------------------------------------------
// The setters the options and the menus share

void TfrmCalcu::SetDigits(int digits)
{
    NumberTextState& nt = numtext();
    if (digits == 100) {
        nt.DisplayDigits = 16;
        nt.StripTrailingZeros = true;
    } else {
        nt.DisplayDigits = std::uint8_t(digits);
        nt.StripTrailingZeros = false;
    }
    MirrorNumberMenus();
    ShowResult(FloatToStrDefBase(Calc().LastResult));
}

void TfrmCalcu::SetNumberFormat(int notation)
{
    numtext().DisplayNotation = std::uint8_t(notation);
    MirrorNumberMenus();
    ShowResult(FloatToStrDefBase(Calc().LastResult));
}

void TfrmCalcu::SetGroupDigits(bool on)
{
    numtext().GroupDigits = on;
    MirrorNumberMenus();
    ShowResult(FloatToStrDefBase(Calc().LastResult));
}


void TfrmCalcu::SetShowKeyboard(bool on)
{
    ComboExpr().KeyboardEnabled = on;
    if (!on && fmTeclado())
        fmTeclado()->hide();
}

void TfrmCalcu::SetShowTotal(bool on)
{
    m_showTotal = on;
    for (QWidget* w : {static_cast<QWidget*>(edtTotal), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(SpeedButton1), static_cast<QWidget*>(btnUndo)})
        w->setVisible(on);
}

void TfrmCalcu::SetShowHistory(bool on)
{
    m_showHistory = on;
    Panel3->setVisible(on);
    ApplySettings();
}

void TfrmCalcu::ApplySettings()
{
    const TAppearance& a = m_appearance;
    auto paint = [](QWidget* w, TColor background, const TColor* text = nullptr) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(background));
        p.setColor(QPalette::Window, ToQColor(background));
        if (text)
            p.setColor(QPalette::Text, ToQColor(*text));
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    // The height: the top panel, the bottom bar when shown, and the picture
    // and history panel when shown (100 pixels when it has no useful height:
    // shrunk to nothing, or never laid out yet, before the window first shows).
    const int minimum = Panel1->sizeHint().height() + (Panel2->isVisibleTo(this) ? Panel2->sizeHint().height() : 0);
    const int own = m_laidOut ? Panel3->height() : 0;
    const int middle = own > 23 ? own : 100;
    setMinimumHeight(minimum);
    resize(width(), minimum + (Panel3->isVisibleTo(this) ? middle : 0));
    // The expression history is cut to the history length.
    while (cmbEdit->count() > Calc().MaxList)
        cmbEdit->removeItem(Calc().MaxList);
    AutoComp().AutoCompleteCancelled = false;
    if (TfmAutoComp* list = fmAutoComp())
        list->ForgetControl();
    m_menuDrawing->SetScheme({a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo});
    if (TfmTeclado* keyboard = fmTeclado())
        keyboard->SetSchemeColors(a.ClLuz, a.ClSombra);
    RecolourToolPictures(Panel2, ToQColor(a.ClTexto));
    paint(Panel3, a.ClSombra);
    paint(Lista, a.ClFondo);
    paint(edtTotal, a.ClFondo);
    FormulaView->SetBackground(a.ClFondo);
    paint(cmbEdit, a.ClLuz, &a.ClTexto);
    paint(Edit2, a.ClLuz, &a.ClTexto);
    update();
    m_notices.Post(THostNotice::AppearanceChanged);
}
