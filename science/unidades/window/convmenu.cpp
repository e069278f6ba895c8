#include "science/unidades/window/convmenu.h"

#include "controls/comboexpr.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/frmdefmaguni.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>

namespace {

constexpr int kFixedTag = -100;
const char* const kCaption = "sumbrixCaption";
const char* const kBuilt = "sumbrixBuilt";

bool Failed(const Exception& e)
{
    MsgBoxApp(e.message(), mb::Ok | mb::IconError);
    return false;
}

} // namespace

std::function<void(int context)>& UnitsHelpHook()
{
    static std::function<void(int)> hook;
    return hook;
}

void ShowUnitLoadNotices()
{
    UnitEngineState& st = unitEngine();
    if (st.ShownGeneration == st.Generation)
        return;
    st.ShownGeneration = st.Generation;
    QString text = st.UnitLoadLog;
    for (const QString& n : st.UnitLoadNotices)
        text += n + QStringLiteral("\r\n");
    st.UnitLoadNotices.clear();
    if (text.isEmpty())
        return;
    MsgBoxApp(QStringLiteral("Las siguientes definiciones de unidades no se pudieron cargar:") +
                  QStringLiteral("\r\n\r\n") + text.trimmed(),
              mb::Ok | mb::IconError);
}

TConversionMenu::TConversionMenu(QMenu* menu, TComboExpr* expressionBox, QLineEdit* resultBox, QObject* parent)
    : QObject(parent), m_menu(menu), m_expr(expressionBox), m_result(resultBox)
{
    ExpressionHasFocus = [this] {
        const QWidget* f = QApplication::focusWidget();
        return f && m_expr && (f == m_expr || m_expr->isAncestorOf(f));
    };
    EditUnits = [this](const QString& magnitude) {
        TfmDefMagUni editor(m_menu->parentWidget());
        return editor.EditMagnitude(magnitude);
    };
    auto fixed = [this](QAction* a, const char* name) {
        a->setObjectName(QString::fromLatin1(name));
        a->setData(kFixedTag);
        return a;
    };
    m_menu->setObjectName(QStringLiteral("PopupMenu6"));
    Repetirltima1 = fixed(m_menu->addAction(QStringLiteral("Repetir última\tCtrl+F10")), "Repetirltima1");
    Inversa1 = fixed(m_menu->addAction(QStringLiteral("Inversa\tCtrl+Shift+F10")), "Inversa1");
    Recientes1 = m_menu->addMenu(QStringLiteral("Recientes"));
    Recientes1->setObjectName(QStringLiteral("Recientes1"));
    fixed(Recientes1->menuAction(), "Recientes1Item");
    m_firstSeparator = fixed(m_menu->addSeparator(), "N1");
    m_lastSeparator = fixed(m_menu->addSeparator(), "N2");
    EditarUnidades1 = fixed(m_menu->addAction(QStringLiteral("Editar unidades...")), "EditarUnidades1");
    connect(Repetirltima1, &QAction::triggered, this, &TConversionMenu::Repetirltima1Click);
    connect(Inversa1, &QAction::triggered, this, &TConversionMenu::Inversa1Click);
    connect(EditarUnidades1, &QAction::triggered, this, &TConversionMenu::Opciones2Click);
    connect(m_menu, &QMenu::aboutToShow, this, &TConversionMenu::MenuPopup);
    m_reloadHandler = AddUnitReloadHandler([this] { RebuildConversionMenu(); });
    RebuildConversionMenu();
    FillRecentMenu();
}

TConversionMenu::~TConversionMenu() { RemoveUnitReloadHandler(m_reloadHandler); }

void TConversionMenu::ReadSettings(TZelIniFile& ini)
{
    m_recent.Read(ini);
    FillRecentMenu();
}

void TConversionMenu::WriteSettings(TZelIniFile& ini) const { m_recent.Write(ini); }

void TConversionMenu::RebuildConversionMenu()
{
    for (QAction* a : m_menu->actions()) {
        if (a->data().toInt() >= -99) {
            m_menu->removeAction(a);
            if (QMenu* sub = a->menu())
                delete sub;   // owns its items and its own action
            else
                delete a;
        }
    }
    const auto& list = unitEngine().MagnitudeList;
    for (size_t i = 0; i < list.size() && i < size_t(kMaxMagnitudes); ++i) {
        const TMagnitud& mag = list[i];
        auto* magMenu = new QMenu(mag.Name, m_menu);
        magMenu->menuAction()->setData(-1);
        for (int j = 0; j < mag.Count() && j < kMaxUnits; ++j) {
            auto* fromMenu = new QMenu(Format(QStringLiteral("de %s"), {mag.UnitNames[j]}), magMenu);
            fromMenu->menuAction()->setData(0);
            // The "a <unit>" items are made when the submenu first opens: a
            // few hundred submenus stay cheap, thousands of items would not.
            connect(fromMenu, &QMenu::aboutToShow, this, [this, fromMenu, m = int(i), j] {
                if (!fromMenu->property(kBuilt).toBool()) {
                    fromMenu->setProperty(kBuilt, true);
                    AddTargetItems(fromMenu, m, j);
                }
                ShowPreviews(fromMenu);
            });
            magMenu->addMenu(fromMenu);
        }
        m_menu->insertMenu(m_lastSeparator, magMenu);
    }
}

void TConversionMenu::AddTargetItems(QMenu* fromMenu, int magnitude, int from)
{
    const auto& list = unitEngine().MagnitudeList;
    if (size_t(magnitude) >= list.size())
        return;
    const TMagnitud& mag = list[size_t(magnitude)];
    for (int k = 0; k < mag.Count() && k < kMaxUnits; ++k) {
        if (k == from)
            continue;
        const std::int32_t tag = PackConversionTag(magnitude, from, k);
        const QString caption = Format(QStringLiteral("a %s"), {mag.UnitNames[k]});
        QAction* leaf = fromMenu->addAction(caption);
        leaf->setData(tag);
        leaf->setProperty(kCaption, caption);
        connect(leaf, &QAction::triggered, this, [this, tag] { ApplyConversion(tag); });
    }
}

void TConversionMenu::FillRecentMenu()
{
    Recientes1->clear();
    for (const QString& caption : m_recent.Items()) {
        QString shown = caption;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = Recientes1->addAction(shown);
        a->setData(kFixedTag);
        connect(a, &QAction::triggered, this, [this, caption] { ApplyRecentConversion(caption); });
    }
}

void TConversionMenu::MenuPopup()
{
    const bool any = !m_recent.IsEmpty();
    Repetirltima1->setVisible(any);
    Inversa1->setVisible(any);
    Recientes1->menuAction()->setVisible(any);
    m_firstSeparator->setVisible(any);
    m_hasPreview = SourceValue(m_previewValue, true);
}

void TConversionMenu::ShowPreviews(QMenu* fromMenu)
{
    // The value is taken afresh: the submenu may open without the main menu
    // (a test, a key) after the text changed.
    m_hasPreview = SourceValue(m_previewValue, true);
    for (QAction* a : fromMenu->actions()) {
        const int tag = a->data().toInt();
        if (tag < 0)
            continue;
        QString text = a->property(kCaption).toString();
        if (m_hasPreview) {
            try {
                text += QLatin1Char('\t') + PreviewText(ConvertByTag(tag, m_previewValue));
            } catch (const Exception&) {
                // no preview for a value this conversion cannot take
            }
        }
        a->setText(text);
    }
}

bool TConversionMenu::SourceValue(Extended& value, bool quiet, int* start, int* length)
{
    if (ExpressionHasFocus && ExpressionHasFocus()) {
        const QLineEdit* edit = m_expr->lineEdit();
        const TNumberAtCaret n = FindNumberAtCaret(m_expr->Text(), edit ? edit->cursorPosition() : 0);
        if (!n.Found) {
            if (!quiet)
                MsgBoxApp(QStringLiteral("No se pudo hallar ningún número para convertir"), mb::Ok | mb::IconError);
            return false;
        }
        value = n.Value;
        if (start)
            *start = n.Start;
        if (length)
            *length = n.Length;
        return true;
    }
    if (!ReadResultNumber(m_result->text(), value)) {
        if (!quiet)
            MsgBoxApp(QStringLiteral("Resultado debe ser un número"), mb::Ok | mb::IconError);
        return false;
    }
    if (start)
        *start = -1;
    return true;
}

bool TConversionMenu::Apply(const std::function<Extended(Extended)>& convert)
{
    Extended value = 0;
    int start = -1, length = 0;
    if (!SourceValue(value, false, &start, &length))
        return false;
    Extended converted = 0;
    try {
        converted = convert(value);
    } catch (const Exception& e) {
        return Failed(e);
    }
    if (start < 0) {
        m_result->setText(ConvertedText(converted));
        return true;
    }
    // The expression as it was becomes the newest entry of the history.
    const QString before = m_expr->Text();
    const QStringList items = m_expr->Items();
    if (items.isEmpty() || items.front() != before)
        AddExprHistory(m_expr, before);
    const QString text = ConvertedText(converted);
    m_expr->SetText(before.left(start) + text + before.mid(start + length));
    m_expr->SetSel(start, int(text.size()));
    return true;
}

bool TConversionMenu::ApplyConversion(std::int32_t tag)
{
    if (!Apply([tag](Extended v) { return ConvertByTag(tag, v); }))
        return false;
    AddRecentConversion(tag);
    return true;
}

void TConversionMenu::AddRecentConversion(std::int32_t tag)
{
    try {
        m_recent.Add(ConversionCaption(tag));
    } catch (const Exception&) {
        return;   // a tag that names nothing is not remembered
    }
    FillRecentMenu();
}

bool TConversionMenu::ApplyRecentConversion(const QString& caption)
{
    const bool invert = InvertNextConversion;
    InvertNextConversion = false;
    QString from, to, magnitude;
    if (!SplitConversionCaption(caption, from, to, magnitude))
        return false;
    if (invert)
        std::swap(from, to);
    return Apply([&](Extended v) { return ConvertUnits(magnitude, from, to, v); });
}

void TConversionMenu::Repetirltima1Click()
{
    if (m_recent.IsEmpty()) {
        InvertNextConversion = false;
        return;
    }
    ApplyRecentConversion(m_recent.Items().front());
}

void TConversionMenu::Inversa1Click()
{
    InvertNextConversion = true;
    Repetirltima1Click();
}

void TConversionMenu::Opciones2Click()
{
    QString magnitude;
    if (!m_recent.IsEmpty()) {
        const QString first = m_recent.Items().front();
        const qsizetype open = first.indexOf(QLatin1Char('('));
        if (open >= 0)
            magnitude = first.mid(open + 1, first.size() - open - 2);
    }
    if (EditUnits && EditUnits(magnitude))
        RebuildConversionMenu();
}

void TConversionMenu::PopupForExpression(const QPoint& globalPos)
{
    m_expr->setFocus();
    m_menu->popup(globalPos);
}

void TConversionMenu::PopupForResult(const QPoint& globalPos)
{
    m_result->setFocus();
    m_menu->popup(globalPos);
}

void BuildMagnitudeMenu(QMenu* menu, const std::function<void(const QString& magnitude, const QString& unit)>& onClick)
{
    menu->clear();
    for (const TMagnitud& mag : unitEngine().MagnitudeList) {
        QMenu* sub = menu->addMenu(mag.Name);
        sub->menuAction()->setData(0);
        for (const QString& unit : mag.UnitNames) {
            QString shown = unit;
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            QAction* a = sub->addAction(shown);
            a->setData(-1);
            QObject::connect(a, &QAction::triggered, menu, [onClick, m = mag.Name, unit] {
                if (onClick)
                    onClick(m, unit);
            });
        }
    }
}
