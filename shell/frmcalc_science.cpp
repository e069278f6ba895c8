// The main window's unit conversion (the conversion menu, its button, F10 and
// the boxes' "Convertir") and its chemistry (molar masses of formulas typed in
// the boxes, the elements in the names list).
#include "shell/frmcalc.h"

#include "controls/application.h"
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "engine/real/expresion.h"
#include "science/quimica/quimica.h"
#include "science/quimica/window/quimicahooks.h"
#include "science/formulas/window/fmformula.h"
#include "science/unidades/window/convmenu.h"
#include "science/unidades/window/frmdefmaguni.h"
#include "science/unidades/window/frmconver.h"

#include <QAction>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

void TfrmCalcu::BuildConversionMenu()
{
    PopupMenu6 = new QMenu(this);
    PopupMenu6->setObjectName(QStringLiteral("PopupMenu6"));
    m_conversion = new TConversionMenu(PopupMenu6, cmbEdit, Edit2, this);
    btnConversion->setMenu(PopupMenu6);

    // "Convertir" heads both boxes' menus.
    QAction* fromExpression = new QAction(QStringLiteral("Convertir"), PopupMenuX1);
    fromExpression->setObjectName(QStringLiteral("Convertir1"));
    PopupMenuX1->insertAction(PopupMenuX1->actions().value(0), fromExpression);
    PopupMenuX1->insertSeparator(PopupMenuX1->actions().value(1));
    connect(fromExpression, &QAction::triggered, this,
            [this] { TApplication::Guarded([this] { m_conversion->PopupForExpression(QCursor::pos()); }); });
    QAction* fromResult = new QAction(QStringLiteral("Convertir"), PopupMenuX2);
    fromResult->setObjectName(QStringLiteral("Convertir2"));
    PopupMenuX2->insertAction(PopupMenuX2->actions().value(0), fromResult);
    PopupMenuX2->insertSeparator(PopupMenuX2->actions().value(1));
    connect(fromResult, &QAction::triggered, this,
            [this] { TApplication::Guarded([this] { m_conversion->PopupForResult(QCursor::pos()); }); });

    // "&Unidades..." after the user definitions of the tools menu.
    QAction* units = new QAction(QStringLiteral("&Unidades..."), PopupMenu7);
    units->setObjectName(QStringLiteral("Opciones2"));
    PopupMenu7->insertAction(PopupMenu7->findChild<QAction*>(QStringLiteral("Expresiones1")), units);
    connect(units, &QAction::triggered, this, [this] { TApplication::Guarded([this] { m_conversion->Opciones2Click(); }); });

    // The instant converter reads the result box and edits through this window.
    TfmConver::MainResultText = [this] { return Edit2->text(); };
    TfmConver::ExpressionMenu = [this](QLineEdit* box) { ShowEditMenu(box); };
    // The formula manager edits units with the unit editor.
    TfmFormula::UnitEditor = [](QWidget* owner, const QString& magnitude) {
        TfmDefMagUni editor(owner);
        return editor.EditMagnitude(magnitude);
    };
    UnitsHelpHook() = [this](int context) {
        if (OnHelpContext)
            OnHelpContext(context);
    };
}

void TfrmCalcu::ConversionKey(Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool other = modifiers & (Qt::AltModifier | Qt::MetaModifier);
    if (other)
        return;
    if (!ctrl && !shift)
        PopupMenu6->popup(mapToGlobal(QPoint(0, Panel1->height())));
    else if (ctrl && !shift)
        m_conversion->Repetirltima1Click();
    else if (ctrl && shift)
        m_conversion->Inversa1Click();
}

void TfrmCalcu::SetChemistryHooks()
{
    if (!m_calc)
        return;
    ::SetChemistryHooks(m_calc->Main(), m_chemistry);
    ::SetChemistryHooks(m_calc->Input(), m_chemistry);
    // The names list is filled again, with or without the elements.
    if (TfmAutoComp* list = fmAutoComp())
        list->ForgetControl();
}

void TfrmCalcu::AddExtraAutoCompleteEntries(QObject* sender)
{
    auto* list = qobject_cast<TfmAutoComp*>(sender);
    if (!list || !m_chemistry)
        return;
    // The complex window's box and the sequences window's boxes keep their own
    // names only.
    for (QWidget* w = list->Control(); w; w = w->parentWidget()) {
        if (w->objectName() == QLatin1String("ComboBox1") && w->window()->objectName() == QLatin1String("fmComplex"))
            return;
        if (w->objectName() == QLatin1String("Panel2") && w->window()->objectName() == QLatin1String("fmSucec"))
            return;
    }
    AddChemistryAutoCompleteEntries(*list);
}
