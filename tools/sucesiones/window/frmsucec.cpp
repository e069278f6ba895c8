#include "tools/sucesiones/window/frmsucec.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/comboexpr.h"
#include "controls/paintbox.h"
#include "controls/transedit.h"
#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/keystate.h"
#include "platform/spanish.h"
#include "services/help.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

TComboExpr* MakeBox(QWidget* parent, const char* name, const QString& placeholder)
{
    auto* b = new TComboExpr(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->SetTextEmpty(placeholder);
    b->SetAutoagregar(false);
    b->SetDuplicados(false);
    b->Change();
    return b;
}

// The text of a box: empty while it shows its placeholder.
QString BoxText(const TComboExpr* box) { return box->IsEmpty() ? QString() : box->Text(); }

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint = QString())
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace

TfmSucec::TfmSucec(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Sucesiones"));
    resize(460, 520);
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(2, 2, 2, 2);
    top->setSpacing(2);
    QWidget* panels[4];
    for (int i = 0; i < 4; ++i) {
        panels[i] = new QWidget(this);
        panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        AreaFondo[static_cast<size_t>(i)] = AddBackground(panels[i], QStringLiteral("AreaFondo%1").arg(i + 1));
    }

    // ---- the definitions: f, g, h, the recurrence, the stop condition ----
    auto* defs = new QGridLayout(panels[0]);
    defs->setContentsMargins(4, 4, 4, 4);
    cmbF = MakeBox(panels[0], "cmbF", QStringLiteral("Ingrese un Función sobre x"));
    cmbG = MakeBox(panels[0], "cmbG", QStringLiteral("Ingrese un Función sobre x"));
    cmbH = MakeBox(panels[0], "cmbH", QStringLiteral("Ingrese una Función sobre x"));
    cmbS = MakeBox(panels[0], "cmbS", QStringLiteral("Defina la sucesión aquí"));
    cmbP = MakeBox(panels[0], "cmbP", QStringLiteral("Ingrese una condición de parada aquí"));
    cmbP->SetNameTable(m_suc.S.GetTable());
    SpeedButton7 = MakeButton(panels[0], "SpeedButton7", QStringLiteral("f(x)="));
    SpeedButton8 = MakeButton(panels[0], "SpeedButton8", QStringLiteral("g(x)="));
    SpeedButton9 = MakeButton(panels[0], "SpeedButton9", QStringLiteral("h(x)="));
    btnSn = MakeButton(panels[0], "btnSn", QStringLiteral("Sn="));
    auto* stopLabel = new QLabel(QStringLiteral("Condición de parada"), panels[0]);
    stopLabel->setObjectName(QStringLiteral("Label6"));
    const std::pair<QToolButton*, TComboExpr*> rows[4] = {
        {SpeedButton7, cmbF}, {SpeedButton8, cmbG}, {SpeedButton9, cmbH}, {btnSn, cmbS}};
    for (int i = 0; i < 4; ++i) {
        defs->addWidget(rows[i].first, i, 0);
        defs->addWidget(rows[i].second, i, 1);
    }
    defs->addWidget(stopLabel, 4, 0);
    defs->addWidget(cmbP, 4, 1);
    defs->setColumnStretch(1, 1);
    top->addWidget(panels[0]);
    for (TComboExpr* b : {cmbF, cmbG, cmbH})
        b->lineEdit()->installEventFilter(this);
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { EvaluateFunction(0); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { EvaluateFunction(1); });
    connect(SpeedButton9, &QToolButton::clicked, this, [this] { EvaluateFunction(2); });
    connect(btnSn, &QToolButton::clicked, this, &TfmSucec::btnSnClick);

    // ---- the picture and its selector ----
    auto* pic = new QVBoxLayout(panels[1]);
    pic->setContentsMargins(4, 4, 4, 4);
    auto* selectors = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const char* selNames[4] = {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"};
    const char* selTexts[4] = {"f(x)", "g(x)", "h(x)", "Sn"};
    const int tags[4] = {1, 2, 3, 0};
    QToolButton** sel[4] = {&SpeedButton1, &SpeedButton2, &SpeedButton3, &SpeedButton4};
    for (int i = 0; i < 4; ++i) {
        *sel[i] = MakeButton(panels[1], selNames[i], QString::fromLatin1(selTexts[i]));
        (*sel[i])->setCheckable(true);
        group->addButton(*sel[i], tags[i]);
        selectors->addWidget(*sel[i]);
        const int tag = tags[i];
        connect(*sel[i], &QToolButton::clicked, this, [this, tag] { SelectPicture(tag); });
    }
    SpeedButton4->setChecked(true);
    selectors->addStretch(1);
    chkDetallado = new QCheckBox(QStringLiteral("Detallado"), panels[1]);
    chkDetallado->setObjectName(QStringLiteral("chkDetallado"));
    chkDetallado->setChecked(true);
    selectors->addWidget(chkDetallado);
    pic->addLayout(selectors);
    pbMeta = new TPaintBox(panels[1]);
    pbMeta->setObjectName(QStringLiteral("pbMeta"));
    pbMeta->setMinimumHeight(70);
    pbMeta->OnPaint = [this](QObject*) {
        QPainter* p = pbMeta->Canvas();
        if (!p)
            return;
        p->fillRect(pbMeta->rect(), ToQColor(Host().Appearance().ClFondo));
        if (!m_picture || m_picture->width() <= 0 || m_picture->height() <= 0)
            return;
        TRect dest;
        FitRectProportional(TRect{0, 0, m_picture->width(), m_picture->height()},
                            TRect{0, 0, pbMeta->width(), pbMeta->height()}, false, dest);
        DrawPictureStretched(*p, *m_picture, dest);
    };
    pic->addWidget(pbMeta, 1);
    top->addWidget(panels[1]);

    // ---- the report and the run ----
    auto* run = new QGridLayout(panels[2]);
    run->setContentsMargins(4, 4, 4, 4);
    Memo1 = new QPlainTextEdit(panels[2]);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setToolTip(QStringLiteral("Informe de resultados"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Label7 = new QLabel(panels[2]);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setAutoFillBackground(true);
    Label7->setMinimumWidth(90);
    Button1 = new QPushButton(QStringLiteral("Iniciar"), panels[2]);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Iniciar un cálculo desde n=1"));
    Button2 = new QPushButton(QStringLiteral("Continuar"), panels[2]);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QStringLiteral("Continuar un calculo interrumpido"));
    Button2->setEnabled(false);
    Button3 = new QPushButton(QStringLiteral("Ayuda"), panels[2]);
    Button3->setObjectName(QStringLiteral("Button3"));
    run->addWidget(Memo1, 0, 0, 5, 1);
    run->addWidget(Label7, 0, 1);
    run->addWidget(Button1, 1, 1);
    run->addWidget(Button2, 2, 1);
    run->addWidget(Button3, 3, 1);
    run->setRowStretch(4, 1);
    run->setColumnStretch(0, 1);
    top->addWidget(panels[2], 1);
    connect(Button1, &QPushButton::clicked, this, &TfmSucec::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmSucec::Button2Click);
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (OnHelp)
            OnHelp(kHelpContext);
    });

    // ---- the saved definitions ----
    auto* saved = new QGridLayout(panels[3]);
    saved->setContentsMargins(4, 4, 4, 4);
    auto* groupLabel = new QLabel(QStringLiteral("Suc. predefinidas:"), panels[3]);
    groupLabel->setObjectName(QStringLiteral("Label8"));
    cmbGrup = new QComboBox(panels[3]);
    cmbGrup->setObjectName(QStringLiteral("cmbGrup"));
    cmbGrup->setToolTip(QStringLiteral("Lista de Sucesiones predefinidas"));
    SpeedButton5 = MakeButton(panels[3], "SpeedButton5", QStringLiteral("+"), QStringLiteral("Agregar Definición"));
    SpeedButton6 = MakeButton(panels[3], "SpeedButton6", QStringLiteral("-"), QStringLiteral("Eliminar definición"));
    SpeedButton6->setEnabled(false);
    TransMemo1 = new TTransMemo(panels[3]);
    TransMemo1->setObjectName(QStringLiteral("TransMemo1"));
    TransMemo1->setToolTip(QStringLiteral("Comentarios"));
    TransMemo1->setMaximumHeight(60);
    saved->addWidget(groupLabel, 0, 0);
    saved->addWidget(cmbGrup, 0, 1);
    saved->addWidget(SpeedButton5, 0, 2);
    saved->addWidget(SpeedButton6, 0, 3);
    saved->addWidget(TransMemo1, 1, 0, 1, 4);
    saved->setColumnStretch(1, 1);
    top->addWidget(panels[3]);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfmSucec::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TfmSucec::SpeedButton6Click);

    // The saved definitions, and the state of the last closing.
    bool hasState = false;
    TApplication::Guarded([&] {
        QStringList names = TSuceFile::Names();
        names.sort(Qt::CaseInsensitive);
        cmbGrup->addItems(names);
        hasState = TSuceFile::Exists(TSuceFile::kState);
    });
    cmbGrup->setCurrentIndex(-1);
    connect(cmbGrup, qOverload<int>(&QComboBox::activated), this, &TfmSucec::cmbGrupChange);
    if (hasState)
        TApplication::Guarded([this] { LoadDefinition(TSuceFile::kState); });
    ApplyAppearance();
}

TfmSucec::~TfmSucec()
{
    if (!m_stateSaved)
        TApplication::Guarded([this] { SaveState(); });
}

void TfmSucec::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (TAreaFondo* f : AreaFondo) {
        f->setColor(a.ClLuz);
        f->setColor2(a.ClSombra);
    }
    const QList<QWidget*> fields = {cmbGrup, cmbF, cmbG, cmbH, cmbS, cmbP, Memo1};
    for (QWidget* w : fields) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(a.ClFondo));
        p.setColor(QPalette::Text, ToQColor(a.ClTexto));
        w->setPalette(p);
    }
    QPalette p = Label7->palette();
    p.setColor(QPalette::Window, ToQColor(a.ClSombra));
    Label7->setPalette(p);
    pbMeta->update();
}

TSucesion::TTexts TfmSucec::Texts() const
{
    return {BoxText(cmbF), BoxText(cmbG), BoxText(cmbH), BoxText(cmbS), BoxText(cmbP)};
}

void TfmSucec::CompileAll()
{
    const TSucesion::TTexts texts = Texts();
    TComboExpr* boxes[TSucesion::kTexts] = {cmbF, cmbG, cmbH, cmbS, cmbP};
    // Each text that compiled goes to the top of its box's history, also
    // when a later one raises.
    std::array<bool, TSucesion::kTexts> ok{};
    try {
        ok = m_suc.CompileAll(texts);
    } catch (...) {
        real::TExpresion* all[TSucesion::kTexts] = {&m_suc.F, &m_suc.G, &m_suc.H, &m_suc.S, &m_suc.P};
        for (int i = 0; i < TSucesion::kTexts && all[i]->Text == texts[static_cast<size_t>(i)] && !all[i]->HasError;
             ++i)
            AddExprHistory(boxes[i], texts[static_cast<size_t>(i)]);
        throw;
    }
    for (int i = 0; i < TSucesion::kTexts; ++i)
        if (ok[static_cast<size_t>(i)])
            AddExprHistory(boxes[i], texts[static_cast<size_t>(i)]);
}

void TfmSucec::UpdatePicture()
{
    m_picture.reset();
    pbMeta->update();
    CompileAll();
    real::TExpresion* chosen[4] = {&m_suc.S, &m_suc.F, &m_suc.G, &m_suc.H};
    real::TExpresion& e = *chosen[m_selector];
    if (!e.HasError)
        m_picture = e.DrawToMetafile();
    pbMeta->update();
}

void TfmSucec::SelectPicture(int tag)
{
    m_selector = std::clamp(tag, 0, 3);
    TApplication::Guarded([this] { UpdatePicture(); });
}

void TfmSucec::Button1Click() { TApplication::Guarded([this] { Start(); }); }

void TfmSucec::Button2Click() { TApplication::Guarded([this] { Continue(); }); }

void TfmSucec::AppendLines(const QStringList& lines)
{
    if (!lines.isEmpty())
        Memo1->appendPlainText(lines.join(QLatin1Char('\n')));
}

void TfmSucec::Start()
{
    if (chkDetallado->isChecked())
        Memo1->clear();
    UpdatePicture();
    const int lag = m_suc.ProbeLag();
    Memo1->clear();
    for (int i = 1; i <= lag; ++i) {
        QString& answer = m_answers[static_cast<size_t>(i - 1)];
        QString text = answer;
        if (!InputQuery(QStringLiteral("Sucesiones"), Format(QStringLiteral("Indique un valor para S(%d)"), {i}), text))
            throw EAbort();
        answer = text;
        const Extended v = ReadNumber(text);
        m_suc.SetInitial(i, v);
        AppendLines({TSucesion::TermLine(static_cast<std::uint32_t>(i), v)});
    }
    Button2->setEnabled(true);
    Continue();
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TfmSucec::Continue()
{
    const bool detailed = chkDetallado->isChecked();
    Memo1->setVisible(!detailed);
    TSucesion::TRunEnd end = TSucesion::TRunEnd::Limit;
    QStringList lines;
    if (detailed) {
        end = m_suc.RunDetailed(lines);
    } else {
        end = m_suc.RunBatch([this] {
            Label7->setText(QStringLiteral("n=") + QString::number(m_suc.N));
            Label7->repaint();
            return IsKeyDown(vk::Escape);
        });
    }
    Label7->setText(QStringLiteral("n=") + QString::number(m_suc.N));
    lines += m_suc.ClosingLines(detailed, end);
    AppendLines(lines);
    Memo1->setVisible(true);
    if (end == TSucesion::TRunEnd::Limit || end == TSucesion::TRunEnd::Stopped)
        Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TfmSucec::btnSnClick() { SetShift(1 - m_suc.Shift); }

void TfmSucec::SetShift(int shift)
{
    m_suc.Shift = shift;
    btnSn->setText(shift == 1 ? QStringLiteral("Sn+1=") : QStringLiteral("Sn="));
}

void TfmSucec::EvaluateFunction(int which)
{
    TApplication::Guarded([this, which] {
        real::TExpresion* functions[3] = {&m_suc.F, &m_suc.G, &m_suc.H};
        TComboExpr* boxes[3] = {cmbF, cmbG, cmbH};
        const QString name = QString(QLatin1Char("fgh"[which]));
        real::TExpresion& e = *functions[which];
        e.SetText(BoxText(boxes[which]));
        if (e.HasError)
            throw Exception(e.ErrorMessage);
        QString text = m_lastX;
        if (!InputQuery(QStringLiteral("Evaluar ") + name + QStringLiteral("(x)"),
                        QStringLiteral("Indique un valor númerico para x"), text))
            return;
        m_lastX = text;
        m_suc.X(which)->SetValue(ReadNumber(text));
        const Extended v = e.Evaluate();
        // A fault at this x is told, never a value left from before.
        if (e.HasError)
            throw Exception(e.ErrorMessage);
        MsgBox(Format(QStringLiteral("El valor de %s(%s) es\r\n\r\n%g"), {name, text, v}),
               QStringLiteral("Evaluar función"), mb::Ok | mb::IconInformation);
    });
}

bool TfmSucec::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        TComboExpr* boxes[3] = {cmbF, cmbG, cmbH};
        for (int i = 0; i < 3; ++i)
            if (watched == boxes[i]->lineEdit()) {
                EvaluateFunction(i);
                return true;
            }
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmSucec::LoadDefinition(const QString& name)
{
    const TDefinicion d = TSuceFile::Load(name);
    TComboExpr* boxes[TSucesion::kTexts] = {cmbF, cmbG, cmbH, cmbS, cmbP};
    for (int i = 0; i < TSucesion::kTexts; ++i)
        boxes[i]->SetText(d.Texts[static_cast<size_t>(i)]);
    SetShift(ParseShift(d.ShiftText));
    TransMemo1->setPlainText(d.Comments.join(QLatin1Char('\n')));
    TransMemo1->verticalScrollBar()->setValue(0);
    Button2->setEnabled(false);
    SpeedButton6->setEnabled(true);
    UpdatePicture();
}

void TfmSucec::cmbGrupChange(int index)
{
    if (index < 0)
        return;
    const QString name = cmbGrup->itemText(index);
    Label7->clear();
    TApplication::Guarded([this, &name] { LoadDefinition(name); });
}

bool TfmSucec::SaveDefinition(const QString& name)
{
    if (name != TSuceFile::kState && TSuceFile::Exists(name) &&
        MsgBox(QStringLiteral("Ya existe \"") + name + QStringLiteral("\"\r\n\r\n¿Desea sobreescribirlo?"),
               QStringLiteral("Guardar definición"), mb::OkCancel | mb::IconQuestion) != idOk)
        return false;
    TDefinicion d;
    const QString comments = TransMemo1->toPlainText();
    if (!comments.isEmpty())
        d.Comments = comments.split(QLatin1Char('\n'));
    d.Texts = Texts();
    d.ShiftText = m_suc.Shift == 1 ? QStringLiteral("1") : QStringLiteral("0");
    TSuceFile::Save(name, d);
    return true;
}

void TfmSucec::SaveState()
{
    SaveDefinition(TSuceFile::kState);
    m_stateSaved = true;
}

void TfmSucec::SpeedButton5Click()
{
    TApplication::Guarded([this] {
        QString name = cmbGrup->currentText();
        if (!InputQuery(QStringLiteral("Guardar grupo"), QStringLiteral("Indique un nombre"), name))
            return;
        name = name.trimmed();
        if (name.isEmpty())
            throw Exception(QStringLiteral("Indique un nombre para la definición"));
        if (name == TSuceFile::kState)
            throw Exception(QStringLiteral("El nombre \"_\" está reservado: indique otro nombre"));
        if (!SaveDefinition(name))
            return;
        if (cmbGrup->findText(name) < 0) {
            cmbGrup->addItem(name);
            cmbGrup->model()->sort(0);
        }
        cmbGrup->setCurrentIndex(cmbGrup->findText(name));
        SpeedButton6->setEnabled(true);
    });
}

void TfmSucec::SpeedButton6Click()
{
    const QString name = cmbGrup->currentText();
    if (cmbGrup->currentIndex() < 0)
        return;
    if (MsgBox(QStringLiteral("¿Desea eliminar la definición\r\n") + name + QStringLiteral("?"),
               QStringLiteral("Borrar Combinación"), mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    TApplication::Guarded([&name] { TSuceFile::Erase(name); });
    cmbGrup->removeItem(cmbGrup->currentIndex());
    cmbGrup->setCurrentIndex(-1);
    SpeedButton6->setEnabled(false);
}

void TfmSucec::closeEvent(QCloseEvent* e)
{
    TApplication::Guarded([this] { SaveState(); });
    m_stateSaved = false;   // the window may be shown and changed again
    TToolWindow::closeEvent(e);
}
