#include "tools/fechas/window/frmfecha.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/fieldcolors.h"
#include "controls/menudraw.h"
#include "controls/popupmenux.h"
#include "drawkit/drawkit.h"
#include "foundation/core/basicos.h"
#include "tools/fechas/window/frmfechacal.h"
#include "controls/toolbutton.h"
#include "services/help.h"

#include <QActionGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QStringList>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

using namespace fechas;

namespace {

// The durations' fields write in lower case, whatever is typed or pasted.
class TLowerCase : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toLower();
        return Acceptable;
    }
};

// The units of the result, in menu order (tag -1: a separator).
struct TUnitItem {
    const char* caption;
    int tag;
};
const TUnitItem kUnits[] = {{"HH:MM:SS ", duHMS},          {"Días", duDays},       {"Horas", duHours},
                            {"Minutos", duMinutes},          {"Segundos", duSeconds}, {nullptr, -1},
                            {"Semanas", duWeeks},            {"Meses (30 días)", duMonths},
                            {"Años (365 días)", duYears}};

// The Spanish captions of a line edit's own context menu, by action name.
void SpanishEditMenu(QMenu* menu)
{
    static const std::pair<const char*, const char*> captions[] = {
        {"edit-undo", "&Deshacer"}, {"edit-redo", "&Rehacer"},   {"edit-cut", "C&ortar"},
        {"edit-copy", "&Copiar"},   {"edit-paste", "&Pegar"},    {"edit-delete", "&Eliminar"},
        {"select-all", "Seleccionar &todo"}};
    for (QAction* a : menu->actions())
        for (const auto& [name, caption] : captions)
            if (a->objectName() == QLatin1String(name))
                a->setText(QString::fromUtf8(caption));
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    QToolButton* b = MakeToolButton(parent, name, text, hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(buddy);
    return l;
}

// A label or button whose text changes is as wide as its widest text.
template <class W>
void WidestOf(W* w, const QStringList& texts)
{
    int width = 0;
    for (const QString& t : texts) {
        w->setText(t);
        width = std::max(width, w->sizeHint().width());
    }
    w->setMinimumWidth(width);
}

// A panel keeps its place when hidden: the window does not change size.
void KeepPlace(QWidget* w)
{
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

// Every field's least width.
constexpr int kFieldWidth = 210;

// A result field shows its text whole: from its start, and as wide as the
// text needs (the window, of fixed size, follows).
void ShowWhole(QLineEdit* e, const QString& text)
{
    e->setText(text);
    e->setCursorPosition(0);
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
    // The field's own margins: two pixels each side within its frame.
    const int needs = QFontMetrics(e->font()).horizontalAdvance(text) + 2 * frame + 4 + 2;
    e->setMinimumWidth(std::max(kFieldWidth, needs));
}

} // namespace

TfmFecha::TfmFecha(ToolHost& host, QWidget* parent)
    : TToolWindow(host, kName, parent, TPosition::poDesktopCenter, true)
{
    // Help requests go to the help viewer.
    OnHelpContext = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Fechas y Tiempo"));

    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->lower();

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Diferencia entre fechas"), QStringLiteral("Fecha mas/menos días"),
                         QStringLiteral("Tiempo mas/menos Tiempo"), QStringLiteral("Tiempo dividido Tiempo"),
                         QStringLiteral("Tiempo por Decimal"), QStringLiteral("Tiempo Dividido Decimal")});
    ComboBox1->installEventFilter(this);
    SpeedButton9 = MakeButton(this, "SpeedButton9", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));

    // The dates.
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    AreaFondo2 = new TAreaFondo(Panel1);
    AreaFondo2->setObjectName(QStringLiteral("AreaFondo2"));
    Panel1->installEventFilter(this);
    Edit1 = MakeEdit("Edit1", true);
    Edit2 = MakeEdit("Edit2", false);
    Edit3 = MakeEdit("Edit3", false);
    Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("Fecha &1:"), Edit1);
    Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("Fecha &2:"), Edit2);
    Label4 = MakeLabel(Panel1, "Label4", QStringLiteral("&Resultado:"), Edit3);
    SpeedButton2 = MakeButton(Panel1, "SpeedButton2", QStringLiteral("&Ahora"), QStringLiteral("Inserta fecha y hora actual"));
    SpeedButton1 = MakeButton(Panel1, "SpeedButton1", QStringLiteral("&Hoy"), QStringLiteral("Inserta fecha actual"));
    btnFecha1 = MakeButton(Panel1, "btnFecha1", QStringLiteral("..."), QStringLiteral("Calendario"));
    btnFecha2 = MakeButton(Panel1, "btnFecha2", QStringLiteral("..."), QStringLiteral("Calendario"));
    btnMenu2 = MakeButton(Panel1, "btnMenu2", QString::fromUtf8(kUnits[0].caption),
                          QStringLiteral("Formato del resultado"));
    auto* dates = new QGridLayout(Panel1);
    dates->setContentsMargins(6, 6, 6, 6);
    dates->setSpacing(4);
    dates->addWidget(Label2, 0, 0);
    dates->addWidget(Edit1, 0, 1);
    auto* now = new QHBoxLayout;
    now->setSpacing(0);
    now->addWidget(SpeedButton2);
    now->addWidget(SpeedButton1);
    now->addWidget(btnFecha1);
    dates->addLayout(now, 0, 2);
    dates->addWidget(Label3, 1, 0);
    dates->addWidget(Edit2, 1, 1);
    dates->addWidget(btnFecha2, 1, 2, Qt::AlignLeft);
    dates->addWidget(Label4, 2, 0);
    dates->addWidget(Edit3, 2, 1);
    dates->addWidget(btnMenu2, 2, 2, Qt::AlignLeft);
    dates->setColumnStretch(1, 1);

    // The durations, hidden at first.
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    AreaFondo3 = new TAreaFondo(Panel2);
    AreaFondo3->setObjectName(QStringLiteral("AreaFondo3"));
    Panel2->installEventFilter(this);
    Edit4 = MakeEdit("Edit4", true);
    Edit5 = MakeEdit("Edit5", true);
    Edit6 = MakeEdit("Edit6", true);
    Edit7 = MakeEdit("Edit7", false);
    for (QLineEdit* e : {Edit4, Edit5, Edit6})
        e->setValidator(new TLowerCase(e));
    Label5 = MakeLabel(Panel2, "Label5", QStringLiteral("Tiempo &1:"), Edit4);
    Label6 = MakeLabel(Panel2, "Label6", QStringLiteral("Tiempo &2"), Edit5);
    Label8 = MakeLabel(Panel2, "Label8", QStringLiteral("Tiempo &3:"), Edit6);
    Label7 = MakeLabel(Panel2, "Label7", QStringLiteral("&Resultado:"), Edit7);
    btnMenu = MakeButton(Panel2, "btnMenu", QString::fromUtf8(kUnits[0].caption),
                         QStringLiteral("Formato del resultado"));
    auto* times = new QGridLayout(Panel2);
    times->setContentsMargins(6, 6, 6, 6);
    times->setSpacing(4);
    times->addWidget(Label5, 0, 0);
    times->addWidget(Edit4, 0, 1);
    times->addWidget(Label6, 1, 0);
    times->addWidget(Edit5, 1, 1);
    times->addWidget(Label8, 2, 0);
    times->addWidget(Edit6, 2, 1);
    times->addWidget(Label7, 3, 0);
    times->addWidget(Edit7, 3, 1);
    times->addWidget(btnMenu, 3, 2, Qt::AlignLeft);
    times->setColumnStretch(1, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{Panel1, Panel2, Label8, Edit6, btnMenu, btnMenu2, btnFecha2})
        KeepPlace(w);
    WidestOf(Label3, {QStringLiteral("&Días (+/-):"), QStringLiteral("Fecha &2:")});
    WidestOf(Label6, {QStringLiteral("&Decimal"), QStringLiteral("Tiempo &2")});
    QStringList captions;
    for (const TUnitItem& u : kUnits)
        if (u.caption)
            captions.prepend(QString::fromUtf8(u.caption));   // the first one last: shown at first
    WidestOf(btnMenu, captions);
    WidestOf(btnMenu2, captions);

    for (QLineEdit* e : {Edit3, Edit7}) {
        e->setReadOnly(true);
        QFont bold = e->font();
        bold.setBold(true);
        e->setFont(bold);
    }
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7})
        e->setMinimumWidth(kFieldWidth);

    auto* top = new QHBoxLayout;
    top->addWidget(ComboBox1, 1);
    top->addWidget(SpeedButton9);
    auto* panels = new QGridLayout;
    panels->addWidget(Panel1, 0, 0);
    panels->addWidget(Panel2, 0, 0);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(4);
    root->addLayout(top);
    root->addLayout(panels);
    // The window keeps its designed size (only the fonts change it).
    root->setSizeConstraint(QLayout::SetFixedSize);
    Panel2->hide();

    // The result's unit.
    PopupMenu1 = new TPopupMenuX(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->setMinimumWidth(100);
    auto* group = new QActionGroup(PopupMenu1);
    group->setExclusive(true);
    for (const TUnitItem& u : kUnits) {
        if (!u.caption) {
            PopupMenu1->addSeparator();
            continue;
        }
        auto* item = new TMenuItem(QString::fromUtf8(u.caption));
        item->setData(u.tag);
        item->setCheckable(true);
        item->setChecked(u.tag == duHMS);
        item->OnClick = [this](QObject* sender) { UnitClick(static_cast<TMenuItem*>(sender)); };
        group->addAction(item);
        PopupMenu1->Add(item);
    }
    m_menuDrawing = std::make_unique<TMenuDrawing>();
    m_menuDrawing->Attach(PopupMenu1);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TfmFecha::ComboBox1Change);
    for (QLineEdit* e : {Edit1, Edit2})
        connect(e, &QLineEdit::textChanged, this, &TfmFecha::EditDatesChange);
    for (QLineEdit* e : {Edit4, Edit5, Edit6})
        connect(e, &QLineEdit::textChanged, this, &TfmFecha::EditTimesChange);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmFecha::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfmFecha::SpeedButton2Click);
    connect(btnFecha1, &QToolButton::clicked, this, [this] { btnFechaClick(1); });
    connect(btnFecha2, &QToolButton::clicked, this, [this] { btnFechaClick(2); });
    connect(btnMenu, &QToolButton::clicked, this, [this] { btnMenuClick(btnMenu); });
    connect(btnMenu2, &QToolButton::clicked, this, [this] { btnMenuClick(btnMenu2); });
    connect(SpeedButton9, &QToolButton::clicked, this, &TfmFecha::SpeedButton9Click);

    ComboBox1->setCurrentIndex(ctDateDifference);
    ComboBox1Change();
    ApplyAppearance();
}

TfmFecha::~TfmFecha() = default;

QLineEdit* TfmFecha::MakeEdit(const char* name, bool tag1)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setProperty("Tag", tag1 ? 1 : 0);
    e->installEventFilter(this);
    return e;
}

int TfmFecha::CalcType() const { return ComboBox1->currentIndex(); }

void TfmFecha::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    PaintField(ComboBox1, a.ClFondo, a.ClTexto);
    PaintField(Edit3, a.ClFondo, a.ClTexto);
    PaintField(Edit7, a.ClFondo, a.ClTexto);
    for (QLineEdit* e : {Edit1, Edit2, Edit4, Edit5, Edit6})
        PaintField(e, a.ClLuz, a.ClTexto);
    for (TAreaFondo* area : {AreaFondo1, AreaFondo2, AreaFondo3}) {
        area->setColor(a.ClLuz);
        area->setColor2(a.ClSombra);
    }
    Edit1->setFont(a.ExpressionFont);
    Edit2->setFont(a.ExpressionFont);
    QFont result = a.ResultFont;
    result.setBold(true);
    Edit3->setFont(result);
    m_menuDrawing->SetScheme({a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo});
    if (m_calendar)
        m_calendar->SetColors(a.ClTexto, a.ClSombra, a.ClFondo, a.ClLuz);
}

// ---------------------------------------------------------------------------
// Handlers

void TfmFecha::ComboBox1Change()
{
    const int type = CalcType();
    const bool dates = type <= ctDatePlusDays;
    Panel1->setVisible(dates);
    Panel2->setVisible(!dates);
    if (dates) {
        Label3->setText(type == ctDateDifference ? QStringLiteral("Fecha &2:") : QStringLiteral("&Días (+/-):"));
        ShowWhole(Edit3, QString());
        btnMenu2->setVisible(type == ctDateDifference);
        btnFecha2->setVisible(type == ctDateDifference);
    } else {
        Label6->setText(type <= ctTimeRatio ? QStringLiteral("Tiempo &2") : QStringLiteral("&Decimal"));
        Label8->setVisible(type == ctTimeSum);
        Edit6->setVisible(type == ctTimeSum);
        ShowWhole(Edit7, QString());
        btnMenu->setVisible(type != ctTimeRatio);
    }
}

void TfmFecha::EditDatesChange()
{
    // A date the calendar put into a hidden field waits for its panel.
    if (CalcType() <= ctDatePlusDays)
        ShowWhole(Edit3, CalcDates(CalcType(), Edit1->text(), Edit2->text(), m_format));
}

void TfmFecha::EditTimesChange()
{
    if (CalcType() > ctDatePlusDays)
        ShowWhole(Edit7, CalcTimes(CalcType(), Edit4->text(), Edit5->text(), Edit6->text(), m_format));
}

void TfmFecha::SpeedButton1Click() { Edit1->setText(DateToStr(Today())); }

void TfmFecha::SpeedButton2Click() { Edit1->setText(DateTimeToStr(Now())); }

void TfmFecha::btnFechaClick(int which)
{
    const TAppearance& a = Host().Appearance();
    if (!m_calendar) {
        m_calendar = new TfmFechaCal(this);
        m_calendar->SetColors(a.ClTexto, a.ClSombra, a.ClFondo, a.ClLuz);
        const TDateTimeParts today = DecodeDateTime(Today());
        m_calendar->SetDate(QDate(today.Year, today.Month, today.Day));
    }
    QToolButton* button = which == 1 ? btnFecha1 : btnFecha2;
    m_calendar->move(button->mapToGlobal(QPoint(0, 0)));
    m_calendar->setWindowTitle(which == 1 ? QStringLiteral("Fecha 1") : QStringLiteral("Fecha 2"));
    const bool chosen = ExecCalendar ? ExecCalendar(*m_calendar) : m_calendar->exec() == QDialog::Accepted;
    if (!chosen)
        return;
    const QDate d = m_calendar->Date();
    (which == 1 ? Edit1 : Edit2)->setText(DateToStr(EncodeDateTime(d.year(), d.month(), d.day())));
}

void TfmFecha::btnMenuClick(QToolButton* button)
{
    PopupMenu1->popup(button->mapToGlobal(QPoint(0, 0)));
}

void TfmFecha::UnitClick(TMenuItem* item)
{
    const QString caption = StripAmpersands(item->text());
    btnMenu->setText(caption);
    btnMenu2->setText(caption);
    m_format.Unit = item->data().toInt();
    ShowUnitResult();
    item->setChecked(true);
}

void TfmFecha::ShowUnitResult()
{
    // The last duration in the new unit, in both result fields.
    QString text;
    try {
        text = m_format.FormatDuration(m_format.LastValue);
    } catch (const Exception& e) {
        text = e.message();
    }
    ShowWhole(Edit7, text);
    ShowWhole(Edit3, text);
}

void TfmFecha::SpeedButton9Click()
{
    if (OnHelpContext)
        OnHelpContext(kHelpContext);
}

void TfmFecha::Activate()
{
    Magnetic = Host().MagneticWindows();
    TToolWindow::Activate();
}

void TfmFecha::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        SpeedButton9Click();
        return;
    }
    TToolWindow::keyPressEvent(e);
}

void TfmFecha::resizeEvent(QResizeEvent* e)
{
    TToolWindow::resizeEvent(e);
    AreaFondo1->setGeometry(rect());
}

// ---------------------------------------------------------------------------
// Keys, focus and menus of the fields

bool TfmFecha::FieldKey(QLineEdit* edit, QKeyEvent* k)
{
    const bool tag1 = edit->property("Tag").toInt() == 1;
    switch (k->key()) {
    case Qt::Key_Escape:
        if (!edit->text().isEmpty())
            edit->clear();
        else
            close();
        return true;
    case Qt::Key_F2:
        if (!tag1)
            return false;
        btnFechaClick(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        focusNextChild();
        return true;
    default: break;
    }
    if (k->modifiers() & Qt::ControlModifier)
        return false;
    const QString text = k->text();
    if (text.isEmpty() || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)
        return false;   // moving, deleting: not characters
    const QChar c = edit->validator() ? text[0].toLower() : text[0];
    const bool passes = c == QLatin1Char(' ') || (c >= QLatin1Char('-') && c <= QLatin1Char(':')) ||
                        (c == QLatin1Char('d') && tag1);
    return !passes;
}

bool TfmFecha::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Panel1 || watched == Panel2) && event->type() == QEvent::Resize) {
        (watched == Panel1 ? AreaFondo2 : AreaFondo3)->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }
    if (watched == ComboBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return TToolWindow::eventFilter(watched, event);
    const bool input = !edit->isReadOnly();
    switch (event->type()) {
    case QEvent::KeyPress:
        if (input) {
            bool eaten = false;
            TApplication::Guarded([&] { eaten = FieldKey(edit, static_cast<QKeyEvent*>(event)); });
            return eaten;
        }
        break;
    case QEvent::FocusIn:
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        break;
    case QEvent::ContextMenu: {
        QMenu* menu = edit->createStandardContextMenu();
        SpanishEditMenu(menu);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    default: break;
    }
    return TToolWindow::eventFilter(watched, event);
}
