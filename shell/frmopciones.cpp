#include "shell/frmopciones.h"

#include "controls/application.h"
#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmautocomp.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"
#include "platform/formpos.h"
#include "platform/spanish.h"
#include "services/calcmodel.h"
#include "services/help.h"
#include "shell/frmcalc.h"
#include "shell/frmsplash.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

// ---------------------------------------------------------------------------
// The swatches and the preview

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent)
{
    setFixedSize(41, 25);
    setCursor(Qt::PointingHandCursor);
}

void TColorSwatch::SetColor(TColor c)
{
    m_color = c;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(m_color));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorSwatch::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && OnMouseDown)
        TApplication::Guarded(OnMouseDown);
}

TSchemePreview::TSchemePreview(QWidget* parent) : QWidget(parent) { setMinimumSize(150, 96); }

void TSchemePreview::SetColors(const std::array<TColor, 4>& c)
{
    m_colors = c;
    update();
}

void TSchemePreview::paintEvent(QPaintEvent*)
{
    // Three gradients from the light to the dark colour, two labels in the
    // text colour, a field in the field colour with the text colour and one
    // in the field colour only.
    QPainter p(this);
    const int w = width();
    const int h = height() / 3;
    for (int i = 0; i < 3; ++i)
        FillGradient(p, MakeBounds(0, i * h, w, h), m_colors[0], m_colors[1], i != 1);
    p.setPen(ToQColor(m_colors[2]));
    p.drawText(QRect(6, 2, w - 12, h - 4), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Texto de ejemplo"));
    p.drawText(QRect(6, 2 * h + 2, w - 12, h - 4), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("Resultado"));
    const QRect field(8, h + 4, w / 2 - 12, h - 8);
    p.fillRect(field, ToQColor(m_colors[3]));
    p.drawText(field.adjusted(3, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("2+3*4"));
    p.fillRect(QRect(w / 2 + 4, h + 4, w / 2 - 12, h - 8), ToQColor(m_colors[3]));
}

// ---------------------------------------------------------------------------

namespace {

const QString kOptions = QStringLiteral("Opciones");
const QString kColoursSection = QStringLiteral("Colores");
const std::array<TColor, 4> kDefaultScheme{0xF7F7F7, 0xEDD2AF, 0x674018, 0xE8F0EE};

QString ColoursFile() { return ExeDir() + QStringLiteral("colores.ini"); }

QString IntegerError(const QString& text) { return Format(QStringLiteral("'%s' no es un valor entero válido"), {text}); }

bool ReadSize(const QString& text, int& size)
{
    long long v = 0;
    if (!TryStrToInt(text.trimmed(), v) || v < 1 || v > 999)
        return false;
    size = int(v);
    return true;
}

QFont FontOf(const QString& family, int size, bool bold, bool italic, QFont font)
{
    font.setFamily(family);
    font.setPointSize(size);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

int StyleCode(const QFont& f) { return (f.bold() ? 1 : 0) + (f.italic() ? 2 : 0); }

// The state of a check item of the main window's "Configurar" menu, as the
// menu shows it when it opens.
QAction* ConfigureItem(TfrmCalcu& main, const char* name)
{
    return main.Configurar1 ? main.Configurar1->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

bool ItemState(TfrmCalcu& main, const char* name, bool otherwise)
{
    QAction* a = ConfigureItem(main, name);
    if (!a)
        return otherwise;
    emit main.PopupMenu7->aboutToShow();
    return a->isChecked();
}

void SetItemState(TfrmCalcu& main, const char* name, bool on)
{
    if (QAction* a = ConfigureItem(main, name))
        if (ItemState(main, name, on) != on)
            a->trigger();
}

class TMainWindowOptions : public TOptionsHost {
public:
    explicit TMainWindowOptions(TfrmCalcu& main) : m_main(main) {}

    TMainOptions Options() override
    {
        TMainOptions o;
        o.AutoComplete = AutoComp().AutoCompleteOn;
        o.Chemistry = ItemState(m_main, "CalcularMMR1", true);
        o.History = ItemState(m_main, "VerFormulaHistorial1", true);
        o.Bar = ItemState(m_main, "VerBarra1", true);
        o.Total = ItemState(m_main, "MostrarTotal1", true);
        o.StayOnTop = m_main.TopMost();
        o.NoTitle = ItemState(m_main, "OcultarTitulo1", m_noTitle);
        o.Magnetic = m_main.Magnetic;
        o.ExpressionFont = m_main.cmbEdit->font();
        o.ResultFont = m_main.Edit2->font();
        return o;
    }
    void SetOptions(const TMainOptions& o) override
    {
        AutoComp().AutoCompleteOn = o.AutoComplete;
        SetItemState(m_main, "CalcularMMR1", o.Chemistry);
        m_main.SetStayOnTop(o.StayOnTop);
        SetItemState(m_main, "OcultarTitulo1", o.NoTitle);
        m_noTitle = o.NoTitle;
        m_main.SetShowHistory(o.History);
        m_main.SetShowBar(o.Bar);
        m_main.SetShowTotal(o.Total);
        m_main.Magnetic = o.Magnetic;
        m_main.Edit2->setFont(o.ResultFont);
        m_main.cmbEdit->setFont(o.ExpressionFont);
    }
    std::array<TColor, 4> Scheme() override
    {
        const TAppearance& a = m_main.Appearance();
        return {a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo};
    }
    void SetScheme(const std::array<TColor, 4>& c) override
    {
        // The scheme the main window hands out is the one it paints with.
        auto& a = const_cast<TAppearance&>(m_main.Appearance());
        a.ClLuz = c[0];
        a.ClSombra = c[1];
        a.ClTexto = c[2];
        a.ClFondo = c[3];
    }
    void ApplySettings() override { m_main.ApplySettings(); }

private:
    TfrmCalcu& m_main;
    bool m_noTitle = false;
};

} // namespace

std::unique_ptr<TOptionsHost> MainWindowOptionsHost(TfrmCalcu& main)
{
    return std::make_unique<TMainWindowOptions>(main);
}

void ApplyTransparencyToAllWindows()
{
    const FormMXGlobals& t = FormMXSettings();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<TFormMX*>(w);
        if (!form)
            continue;
        form->setAlphaBlendValue(OpacityOfPercent(t.TranspPercent));
        form->setAlphaBlend(form->isActiveWindow() ? t.TranspActive : t.TranspInactive);
    }
}

// ---------------------------------------------------------------------------
// T4Colores

T4Colores::T4Colores(const QString& text) : Text(text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    for (int i = 0; i < 4; ++i) {
        int v = 0;
        if (i < fields.size() && TryReadIniInteger(fields[i].trimmed(), v))
            Colors[size_t(i)] = TColor(v);
        else
            Colors[size_t(i)] = (i == 0 || i == 2) ? 0xFFFFFF : 0;
    }
}

T4Colores T4Colores::CreateColors(TColor light, TColor dark, TColor text, TColor field)
{
    T4Colores c(QString{});
    c.Colors = {light, dark, text, field};
    c.Text = Format(QStringLiteral("$%X,$%X,$%X,$%X"), {unsigned(light), unsigned(dark), unsigned(text), unsigned(field)});
    return c;
}

// ---------------------------------------------------------------------------
// The dialog

struct TfmOpciones::Checked {
    Extended tolerance = 0;
    int expressionSize = 10;
    int resultSize = 10;
};

TfmOpciones::TfmOpciones(TOptionsHost& host, QWidget* parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("fmOpciones"));
    setWindowTitle(QStringLiteral("Opciones"));
    SetHelpContext(this, 29);
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };
    ChooseColor = [this](TColor& colour) {
        const QColor c = QColorDialog::getColor(ToQColor(colour), this, QString());
        if (!c.isValid())
            return false;
        colour = FromQColor(c);
        return true;
    };
    ShowAbout = [this](QWidget* owner) { RunAboutBox(owner, m_host.Scheme(), true); };

    auto* root = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const char* names[] = {"General", "Fuentes", "Colores", "Ventana"};
    QWidget* pages[4];
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget(PageControl1);
        pages[i]->setObjectName(QStringLiteral("ts") + QString::fromLatin1(names[i]));
        PageControl1->addTab(pages[i], QString::fromLatin1(names[i]));
    }
    BuildGeneral(pages[0]);
    BuildFonts(pages[1]);
    BuildColours(pages[2]);
    BuildWindow(pages[3]);
    root->addWidget(PageControl1);

    auto* buttons = new QHBoxLayout;
    Button3 = new QPushButton(QStringLiteral("Acerca &de..."), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button1 = new QPushButton(QStringLiteral("&Aceptar"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancelar"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    root->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, [this] { TApplication::Guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &TfmOpciones::Button2Click);
    connect(Button3, &QPushButton::clicked, this, [this] { TApplication::Guarded([this] { Button3Click(); }); });

    PageControl1->setCurrentIndex(0);
    LoadSchemes();
}

TfmOpciones::~TfmOpciones() = default;

void TfmOpciones::BuildGeneral(QWidget* page)
{
    auto* l = new QVBoxLayout(page);
    auto check = [&](QCheckBox*& box, const char* name, const QString& caption) {
        box = new QCheckBox(caption, page);
        box->setObjectName(QString::fromLatin1(name));
        l->addWidget(box);
    };
    check(chkAutocompletar, "chkAutocompletar", QStringLiteral("Usar A&utocompletar"));
    check(chkNoAuto, "chkNoAuto", QStringLiteral("No autocompletar cuando la base del resultado no sea decimal"));
    check(chkMMR, "chkMMR", QStringLiteral("Calcular &Masas Moleculares Relativas (y mostrar elem. quim.)"));
    check(chkHistorial, "chkHistorial", QStringLiteral("Mostrar Fórmula+Historial (Detalles de los cálculos realizados)"));
    check(chkBarra, "chkBarra", QStringLiteral("Ver Barra de Herramientas"));
    check(chkTotales, "chkTotales", QStringLiteral("Mostrar Totales "));
    connect(chkBarra, &QCheckBox::toggled, chkTotales, &QCheckBox::setEnabled);
    auto* dif = new QLabel(QStringLiteral("Diferencia máxima para considerar dos valores \"iguales\":"), page);
    l->addWidget(dif);
    edtDif = new QLineEdit(page);
    edtDif->setObjectName(QStringLiteral("edtDif"));
    edtDif->installEventFilter(this);
    dif->setBuddy(edtDif);
    l->addWidget(edtDif);
    auto* row = new QHBoxLayout;
    auto* before = new QLabel(QStringLiteral("Rec&ordar las últimas "), page);
    spnRecordar = new QSpinBox(page);
    spnRecordar->setObjectName(QStringLiteral("spnRecordar"));
    spnRecordar->setRange(5, 250);
    before->setBuddy(spnRecordar);
    row->addWidget(before);
    row->addWidget(spnRecordar);
    row->addWidget(new QLabel(QStringLiteral("expresiones calculadas"), page));
    row->addStretch(1);
    l->addLayout(row);
    l->addStretch(1);
}

void TfmOpciones::BuildFonts(QWidget* page)
{
    auto* l = new QGridLayout(page);
    const QStringList families = QFontDatabase::families();
    auto group = [&](int row, const QString& caption, const char* prefix, QComboBox*& name, QComboBox*& size,
                     QToolButton*& bold, QToolButton*& italic, QLabel*& sample, const QString& sampleText) {
        auto* label = new QLabel(caption, page);
        l->addWidget(label, row, 0, 1, 4);
        name = new QComboBox(page);
        name->setObjectName(QStringLiteral("cmb") + QString::fromLatin1(prefix) + (prefix[1] == 'E' ? "Nom" : "nom"));
        name->setEditable(true);
        name->addItems(families);
        label->setBuddy(name);
        size = new QComboBox(page);
        size->setObjectName(QStringLiteral("cmb") + QString::fromLatin1(prefix) + QStringLiteral("tam"));
        size->setEditable(true);
        for (int s = 6; s <= 20; ++s)
            size->addItem(QString::number(s));
        auto button = [&](QToolButton*& b, const QString& suffix, const QString& text) {
            b = new QToolButton(page);
            b->setObjectName(QStringLiteral("spb") + QString::fromLatin1(prefix) + suffix);
            b->setText(text);
            b->setCheckable(true);
        };
        button(bold, QStringLiteral("neg"), QStringLiteral("N"));
        button(italic, QStringLiteral("cur"), QStringLiteral("C"));
        sample = new QLabel(sampleText, page);
        sample->setObjectName(QStringLiteral("Mues") + QString::fromLatin1(prefix));
        sample->setFrameShape(QFrame::Panel);
        sample->setFrameShadow(QFrame::Sunken);
        sample->setMinimumHeight(40);
        sample->setAlignment(Qt::AlignCenter);
        l->addWidget(name, row + 1, 0);
        l->addWidget(size, row + 1, 1);
        l->addWidget(bold, row + 1, 2);
        l->addWidget(italic, row + 1, 3);
        l->addWidget(sample, row + 2, 0, 1, 4);
        auto refresh = [this] { TApplication::Guarded([this] { UpdateFontPreviews(); }); };
        connect(name, &QComboBox::currentTextChanged, this, refresh);
        connect(size, &QComboBox::currentTextChanged, this, refresh);
        connect(bold, &QToolButton::toggled, this, refresh);
        connect(italic, &QToolButton::toggled, this, refresh);
    };
    group(0, QStringLiteral("Fuente para &Expresión:"), "FE", cmbFENom, cmbFEtam, spbFEneg, spbFEcur, MuesFE,
          QStringLiteral("sen(x)^2+cos(x)^2"));
    group(3, QStringLiteral("Fuente para &Resultado:"), "FR", cmbFRnom, cmbFRtam, spbFRneg, spbFRcur, MuesFR,
          QStringLiteral("3.14159265358979"));
    l->setRowStretch(6, 1);
}

void TfmOpciones::BuildColours(QWidget* page)
{
    auto* l = new QGridLayout(page);
    const QString captions[] = {QStringLiteral("Color claro"), QStringLiteral("Color oscuro"),
                                QStringLiteral("Color de texto"), QStringLiteral("Color fondos")};
    TColorSwatch** shapes[] = {&Shape1, &Shape2, &Shape3, &Shape4};
    for (int i = 0; i < 4; ++i) {
        *shapes[i] = new TColorSwatch(page);
        (*shapes[i])->setObjectName(QStringLiteral("Shape%1").arg(i + 1));
        (*shapes[i])->OnMouseDown = [this, i] { ShapeMouseDown(i); };
        l->addWidget(*shapes[i], i, 0);
        l->addWidget(new QLabel(captions[i], page), i, 1);
    }
    Muestra = new TSchemePreview(page);
    Muestra->setObjectName(QStringLiteral("Muestra"));
    l->addWidget(Muestra, 0, 2, 4, 2);
    btnPredeterminado = new QPushButton(QStringLiteral("Usar &Predeterminado"), page);
    btnPredeterminado->setObjectName(QStringLiteral("btnPredeterminado"));
    btnAplicar = new QPushButton(QStringLiteral("Aplicar"), page);
    btnAplicar->setObjectName(QStringLiteral("btnAplicar"));
    l->addWidget(btnPredeterminado, 4, 0, 1, 2);
    l->addWidget(btnAplicar, 4, 2, 1, 2);
    auto* row = new QHBoxLayout;
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumWidth(160);
    btnAdd = new QToolButton(page);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setText(QStringLiteral("+"));
    btnAdd->setToolTip(QStringLiteral("Agregar esta combinación de colores a la lista"));
    btnDel = new QToolButton(page);
    btnDel->setObjectName(QStringLiteral("btnDel"));
    btnDel->setText(QStringLiteral("-"));
    btnDel->setToolTip(QStringLiteral("Eliminar esta combinación de colores de la lista"));
    btnDel->setEnabled(false);
    row->addWidget(ComboBox1, 1);
    row->addWidget(btnAdd);
    row->addWidget(btnDel);
    l->addLayout(row, 5, 0, 1, 4);
    l->setRowStretch(6, 1);
    connect(btnPredeterminado, &QPushButton::clicked, this, &TfmOpciones::btnPredeterminadoClick);
    connect(btnAplicar, &QPushButton::clicked, this, [this] { TApplication::Guarded([this] { btnAplicarClick(); }); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Click(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int i) { btnDel->setEnabled(i >= 0); });
    connect(btnAdd, &QToolButton::clicked, this, [this] { TApplication::Guarded([this] { btnAddClick(); }); });
    connect(btnDel, &QToolButton::clicked, this, [this] { TApplication::Guarded([this] { btnDelClick(); }); });
}

void TfmOpciones::BuildWindow(QWidget* page)
{
    auto* l = new QVBoxLayout(page);
    auto check = [&](QCheckBox*& box, const char* name, const QString& caption) {
        box = new QCheckBox(caption, page);
        box->setObjectName(QString::fromLatin1(name));
        l->addWidget(box);
    };
    check(chkSmpVis, "chkSmpVis", QStringLiteral("Mantener la ventana siempre &visible"));
    check(chkOcuTit, "chkOcuTit", QStringLiteral("Ocultar barra de título "));
    check(chkMagnetic, "chkMagnetic", QStringLiteral("Adherir ventanas al borde del escritorio"));
    check(chkJuntoReloj, "chkJuntoReloj", QStringLiteral("Minimizar junto al reloj"));
    check(chkTransparente, "chkTransparente", QStringLiteral("Ventanas transparentes"));
    check(chkTransInactiva, "chkTransInactiva", QStringLiteral("Transparencia solo en ventanas inactivas"));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Opaco"), page));
    trbTransVar = new QSlider(Qt::Horizontal, page);
    trbTransVar->setObjectName(QStringLiteral("trbTransVar"));
    trbTransVar->setRange(0, 75);
    trbTransVar->setTickInterval(5);
    trbTransVar->setSingleStep(5);
    trbTransVar->setTickPosition(QSlider::TicksBelow);
    row->addWidget(trbTransVar, 1);
    row->addWidget(new QLabel(QStringLiteral("Transparente"), page));
    btnAplicar2 = new QPushButton(QStringLiteral("Aplicar"), page);
    btnAplicar2->setObjectName(QStringLiteral("btnAplicar2"));
    row->addWidget(btnAplicar2);
    l->addLayout(row);
    l->addStretch(1);
    connect(chkTransparente, &QCheckBox::clicked, this, &TfmOpciones::TransparencyApply);
    connect(btnAplicar2, &QPushButton::clicked, this, &TfmOpciones::TransparencyApply);
}

// ---------------------------------------------------------------------------

void TfmOpciones::LoadSchemes()
{
    TZelIniFile ini(ColoursFile());
    QStringList lines;
    ini.ReadSectionValues(kColoursSection, lines);
    for (const QString& line : lines)
        InsertScheme(NameOrAll(line), T4Colores(ValueOrAll(line)));
    ComboBox1->setCurrentIndex(-1);
}

void TfmOpciones::InsertScheme(const QString& name, const T4Colores& scheme)
{
    // The list is sorted (letter case aside).
    size_t at = 0;
    while (at < m_schemes.size() && m_schemes[at].first.compare(name, Qt::CaseInsensitive) < 0)
        ++at;
    m_schemes.insert(m_schemes.begin() + std::ptrdiff_t(at), {name, scheme});
    const QSignalBlocker block(ComboBox1);
    ComboBox1->insertItem(int(at), name);
}

int TfmOpciones::SchemeCount() const { return int(m_schemes.size()); }
QString TfmOpciones::SchemeName(int i) const { return m_schemes[size_t(i)].first; }
const T4Colores& TfmOpciones::Scheme(int i) const { return m_schemes[size_t(i)].second; }

std::array<TColor, 4> TfmOpciones::Swatches() const
{
    return {Shape1->Color(), Shape2->Color(), Shape3->Color(), Shape4->Color()};
}

void TfmOpciones::SetSwatch(int i, TColor c)
{
    TColorSwatch* shapes[] = {Shape1, Shape2, Shape3, Shape4};
    shapes[i]->SetColor(c);
}

std::array<TColor, 4> TfmOpciones::PreviewColors() const { return Muestra->Colors(); }

void TfmOpciones::showEvent(QShowEvent* e)
{
    if (!m_shown) {
        // In the middle of the screen, not over the main window; placed
        // before the window reaches the screen.
        WidgetPlacement(this).SetPosition(TPosition::poScreenCenter);
    }
    QDialog::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfmOpciones::FormShow()
{
    m_shown = true;
    const TMainOptions o = m_host.Options();
    const CalcGlobals& g = Calc();
    chkAutocompletar->setChecked(o.AutoComplete);
    chkNoAuto->setChecked(g.NoAuto);
    chkMMR->setChecked(o.Chemistry);
    chkHistorial->setChecked(o.History);
    chkBarra->setChecked(o.Bar);
    chkTotales->setChecked(o.Total);
    chkTotales->setEnabled(o.Bar);
    edtDif->setText(FloatToStr(real::engineState().EqualityTolerance));
    spnRecordar->setValue(g.MaxList);
    auto font = [](const QFont& f, QComboBox* name, QComboBox* size, QToolButton* bold, QToolButton* italic) {
        name->setCurrentText(f.family());
        size->setCurrentText(QString::number(f.pointSize() > 0 ? f.pointSize() : 10));
        bold->setChecked(f.bold());
        italic->setChecked(f.italic());
    };
    font(o.ExpressionFont, cmbFENom, cmbFEtam, spbFEneg, spbFEcur);
    font(o.ResultFont, cmbFRnom, cmbFRtam, spbFRneg, spbFRcur);
    m_shownScheme = m_host.Scheme();
    for (int i = 0; i < 4; ++i)
        SetSwatch(i, m_shownScheme[size_t(i)]);
    chkSmpVis->setChecked(o.StayOnTop);
    chkOcuTit->setChecked(o.NoTitle);
    chkMagnetic->setChecked(o.Magnetic);
    chkJuntoReloj->setChecked(g.MinIcon);
    const FormMXGlobals& t = FormMXSettings();
    chkTransparente->setChecked(t.TranspInactive);
    chkTransInactiva->setChecked(!t.TranspActive);
    trbTransVar->setValue(t.TranspPercent);
    UpdateFontPreviews();
    UpdatePreview();
}

void TfmOpciones::UpdateFontPreviews()
{
    // A size that is not a number is reported; the preview keeps its size.
    auto one = [](QLabel* sample, QComboBox* name, QComboBox* size, QToolButton* bold, QToolButton* italic) {
        int points = 0;
        const bool sized = ReadSize(size->currentText(), points);
        QFont f = sample->font();
        f.setFamily(name->currentText());
        if (sized)
            f.setPointSize(points);
        f.setBold(bold->isChecked());
        f.setItalic(italic->isChecked());
        sample->setFont(f);
        if (!sized)
            throw EConvertError(IntegerError(size->currentText()));
    };
    one(MuesFE, cmbFENom, cmbFEtam, spbFEneg, spbFEcur);
    one(MuesFR, cmbFRnom, cmbFRtam, spbFRneg, spbFRcur);
}

void TfmOpciones::UpdatePreview() { Muestra->SetColors(Swatches()); }

void TfmOpciones::ShapeMouseDown(int index)
{
    TColor c = Swatches()[size_t(index)];
    if (ChooseColor && ChooseColor(c)) {
        SetSwatch(index, c);
        ComboBox1->setCurrentIndex(-1);
        btnAdd->setEnabled(true);
    }
    UpdatePreview();
}

void TfmOpciones::btnPredeterminadoClick()
{
    for (int i = 0; i < 4; ++i)
        SetSwatch(i, kDefaultScheme[size_t(i)]);
    UpdatePreview();
    ComboBox1->setCurrentIndex(-1);
}

void TfmOpciones::ComboBox1Click()
{
    const int i = ComboBox1->currentIndex();
    if (i < 0 || i >= SchemeCount())
        return;
    for (int k = 0; k < 4; ++k)
        SetSwatch(k, Scheme(i).Colors[size_t(k)]);
    UpdatePreview();
    btnAdd->setEnabled(false);
}

void TfmOpciones::btnAplicarClick()
{
    m_host.SetScheme(Swatches());
    m_host.ApplySettings();
}

void TfmOpciones::btnAddClick()
{
    QString name = ComboBox1->currentText();
    if (!InputQuery || !InputQuery(QStringLiteral("Guardar combinación de colores"),
                                   QStringLiteral("Indique un nombre para la combinación de colores"), name))
        return;
    // A name must be a key of colores.ini: one line, no "=", not empty.
    name = OneIniLine(name).trimmed();
    name.replace(QLatin1Char('='), QLatin1Char('-'));
    if (name.isEmpty())
        return;
    int old = -1;
    for (int i = 0; i < SchemeCount(); ++i)
        if (SchemeName(i).compare(name, Qt::CaseInsensitive) == 0)
            old = i;
    if (old >= 0 &&
        MsgBox(Format(QStringLiteral("Ya existe una combinación de colores\nllamada \"%s\"."), {name}) +
                   QStringLiteral("\n\n¿Desea reemplazarla?"),
               QStringLiteral("Reemplazar combinación"), mb::YesNo | mb::IconInformation) != idYes)
        return;
    const std::array<TColor, 4> c = Swatches();
    const T4Colores scheme = T4Colores::CreateColors(c[0], c[1], c[2], c[3]);
    {
        // The file first: when it cannot be written the list stays as it was.
        TZelIniFile ini(ColoursFile());
        if (old >= 0)
            ini.DeleteKey(kColoursSection, SchemeName(old));
        ini.WriteString(kColoursSection, name, scheme.Text);
        ini.UpdateFile();
    }
    if (old >= 0) {
        m_schemes.erase(m_schemes.begin() + old);
        const QSignalBlocker block(ComboBox1);
        ComboBox1->removeItem(old);
    }
    InsertScheme(name, scheme);
    for (int i = 0; i < SchemeCount(); ++i)
        if (SchemeName(i) == name)
            ComboBox1->setCurrentIndex(i);
    // The first entry of an empty list becomes current while the list is
    // filled quietly: no change is signalled, so "-" follows here.
    btnDel->setEnabled(ComboBox1->currentIndex() >= 0);
}

void TfmOpciones::btnDelClick()
{
    const int i = ComboBox1->currentIndex();
    if (i < 0 || i >= SchemeCount())
        return;
    const QString name = SchemeName(i);
    if (MsgBox(QStringLiteral("¿Desea eliminar la combinación de colores\r\n") + name + QStringLiteral("?"),
               QStringLiteral("Borrar Combinación"), mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    {
        TZelIniFile ini(ColoursFile());
        ini.DeleteKey(kColoursSection, name);
        ini.UpdateFile();
    }
    m_schemes.erase(m_schemes.begin() + i);
    ComboBox1->removeItem(i);
    ComboBox1->setCurrentIndex(-1);
    btnDel->setEnabled(false);
}

void TfmOpciones::ApplyTransparencyControls()
{
    FormMXSettings().TranspPercent = std::uint8_t(trbTransVar->value());
    FormMXSettings().TranspInactive = chkTransparente->isChecked();
}

void TfmOpciones::TransparencyApply()
{
    ApplyTransparencyControls();
    ApplyTransparencyToAllWindows();
}

bool TfmOpciones::CheckFields(Checked& out)
{
    const QString dif = edtDif->text();
    bool overflow = false;
    if (!TryStrToFloat(dif.trimmed(), out.tolerance, &overflow)) {
        MsgBoxApp(Format(QStringLiteral("'%s' no es un valor decimal válido"), {dif}), mb::Ok | mb::IconError);
        PageControl1->setCurrentIndex(0);
        edtDif->setFocus();
        return false;
    }
    if (out.tolerance < 0) {
        MsgBoxApp(QStringLiteral("La diferencia máxima no puede ser negativa: con ella ningún par de valores "
                                 "sería \"igual\"."),
                  mb::Ok | mb::IconError);
        PageControl1->setCurrentIndex(0);
        edtDif->setFocus();
        return false;
    }
    for (auto [box, size] : {std::pair{cmbFRtam, &out.resultSize}, std::pair{cmbFEtam, &out.expressionSize}}) {
        if (!ReadSize(box->currentText(), *size)) {
            MsgBoxApp(IntegerError(box->currentText()), mb::Ok | mb::IconError);
            PageControl1->setCurrentIndex(1);
            box->setFocus();
            return false;
        }
    }
    return true;
}

void TfmOpciones::Button1Click()
{
    Checked v;
    if (!CheckFields(v))
        return;
    // 1. The main window's checks, the history, bar and total.
    TMainOptions o = m_host.Options();
    o.AutoComplete = chkAutocompletar->isChecked();
    o.Chemistry = chkMMR->isChecked();
    o.StayOnTop = chkSmpVis->isChecked();
    o.NoTitle = chkOcuTit->isChecked();
    o.History = chkHistorial->isChecked();
    o.Bar = chkBarra->isChecked();
    o.Total = chkTotales->isChecked();
    o.Magnetic = chkMagnetic->isChecked();
    CalcGlobals& g = Calc();
    g.NoAuto = chkNoAuto->isChecked();
    g.MaxList = spnRecordar->value();
    g.MinIcon = chkJuntoReloj->isChecked();
    // 2. The result font, then the expression font.
    o.ResultFont = FontOf(cmbFRnom->currentText(), v.resultSize, spbFRneg->isChecked(), spbFRcur->isChecked(), o.ResultFont);
    o.ExpressionFont =
        FontOf(cmbFENom->currentText(), v.expressionSize, spbFEneg->isChecked(), spbFEcur->isChecked(), o.ExpressionFont);
    m_host.SetOptions(o);
    // 3. The tolerance.
    real::engineState().EqualityTolerance = v.tolerance;
    // 4. The scheme.
    m_host.SetScheme(Swatches());
    // 5. The options the dialog owns in the settings file.
    {
        TAppIniFile ini;
        auto flag = [&](const char* key, bool on) { ini.WriteBool(kOptions, QLatin1String(key), on); };
        auto number = [&](const char* key, int n) { ini.WriteInteger(kOptions, QLatin1String(key), n); };
        auto text = [&](const char* key, const QString& s) { ini.WriteString(kOptions, QLatin1String(key), s); };
        flag("SiempreVisible", o.StayOnTop);
        flag("Autocompletar", o.AutoComplete);
        flag("MMR", o.Chemistry);
        flag("NoAuto", g.NoAuto);
        flag("NoTitulo", o.NoTitle);
        flag("Magnetico", o.Magnetic);
        flag("MinIcon", g.MinIcon);
        number("MaxList", g.MaxList);
        text("MaxDif", FloatToStr(v.tolerance));
        text("FENom", o.ExpressionFont.family());
        number("FETam", v.expressionSize);
        number("FETipo", StyleCode(o.ExpressionFont));
        text("FRNom", o.ResultFont.family());
        number("FRTam", v.resultSize);
        number("FRTipo", StyleCode(o.ResultFont));
        // 6. The transparency.
        FormMXSettings().TranspInactive = chkTransparente->isChecked();
        FormMXSettings().TranspActive = !chkTransInactiva->isChecked();
        FormMXSettings().TranspPercent = std::uint8_t(trbTransVar->value());
        flag("Transp", FormMXSettings().TranspInactive);
        flag("TranspAct", FormMXSettings().TranspActive);
        number("TranspVal", FormMXSettings().TranspPercent);
        // 7. The main window applies its settings; the file is written.
        m_host.ApplySettings();
    }
    accept();
}

void TfmOpciones::Button2Click()
{
    m_host.SetScheme(m_shownScheme);
    TApplication::Guarded([this] { m_host.ApplySettings(); });
    QDialog::reject();
}

void TfmOpciones::reject()
{
    // Esc and the window's close button cancel as "Cancelar" does.
    Button2Click();
}

void TfmOpciones::Button3Click()
{
    if (ShowAbout)
        ShowAbout(this);
}

bool TfmOpciones::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtDif && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Only digits, ".", "-", "E" and "e" are typed; keys that type
        // nothing (Backspace, arrows, shortcuts) pass.
        if (!text.isEmpty() && text[0].unicode() >= 32 && text[0].unicode() != 127 &&
            !(key->modifiers() & Qt::ControlModifier)) {
            const QChar c = text[0];
            if (!(c.isDigit() && c.unicode() < 128) && !QStringLiteral(".-Ee").contains(c))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RunOptionsDialog(TfrmCalcu& main)
{
    std::unique_ptr<TOptionsHost> host = MainWindowOptionsHost(main);
    TfmOpciones dialog(*host, &main);
    if (dialog.exec() == QDialog::Accepted)
        main.ApplySettings();
    // The main window's transparency follows the values the dialog left.
    ApplyTransparencyToAllWindows();
}
