#include "science/formulas/formulasolve.h"

#include "engine/bases.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"

#include <QFileInfo>

#include <cmath>

namespace {

QString element(const TFormulaElement& e) { return Format(QStringLiteral("\"%s\" (%s)"), {e.Simb, e.Descripcion}); }

const QString kCheckData = QStringLiteral("Revise los datos introducidos.");

} // namespace

QString BaseMagnitude(const QString& base) { return NameOrAll(base); }
QString BaseUnit(const QString& base) { return ValueOrAll(base); }

int MatchMagnitude(const QString& name)
{
    const auto& list = unitEngine().MagnitudeList;
    const QString wanted = StripAmpersands(name).trimmed();
    const bool money = wanted.toLower().startsWith(QStringLiteral("moneda"));
    for (size_t i = 0; i < list.size(); ++i) {
        const QString caption = StripAmpersands(list[i].Name);
        if (money ? caption.toLower().startsWith(QStringLiteral("moneda"))
                  : caption.compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

Extended ConvertFormulaUnits(const QString& magnitude, const QString& fromUnit, const QString& toUnit, Extended v)
{
    const int m = MatchMagnitude(magnitude);
    return ConvertUnits(m < 0 ? magnitude : unitEngine().MagnitudeList[size_t(m)].Name, fromUnit, toUnit, v);
}

QStringList FormulaTableHeader()
{
    return {QStringLiteral("Simb"), QStringLiteral("Descripción"), QStringLiteral("Valor"), QStringLiteral("Unidad"),
            QStringLiteral("Base"), QStringLiteral("Min"), QStringLiteral("Max")};
}

TFormulaSolver::TFormulaSolver(real::TExpresion* parent)
{
    m_law = std::make_unique<real::TExpresion>();
    m_law->Parent = parent;
    m_law->OnResolveName = [this](const QString& name, bool& ok) { return FormulaSymbolValue(name, ok); };
    // One "_" in the shared table: a solver made again (the driver makes one
    // per line) finds the one there is.
    if (auto* there = dynamic_cast<real::TMakeVar*>(m_law->GetTable()->Find(QStringLiteral("_"))))
        m_unknownVar = there->Variable;
    else
        m_unknownVar = m_law->AddVariable(QStringLiteral("_"));
    m_values = std::make_unique<real::TExpresion>();
    m_values->Parent = parent;
    m_values->OnResolveUnknown = [](const QString& name, bool& ok) { return MolarMass(name, ok); };
    m_values->Silent = false;
    m_values->SetText(QStringLiteral("0"));
}

TFormulaSolver::~TFormulaSolver() = default;

Extended TFormulaSolver::FormulaSymbolValue(const QString& name, bool& ok)
{
    int row = -1;
    if (name.compare(FormulaTableHeader()[0], Qt::CaseInsensitive) == 0) {
        row = 0;
    } else {
        for (size_t k = 0; k < Elements.size(); ++k)
            if (Elements[k].Simb.compare(name, Qt::CaseInsensitive) == 0) {
                row = int(k) + 1;
                break;
            }
    }
    ok = row > 0;
    if (!ok)
        return 0;
    if (RandomSymbolValues)
        return Extended(std::uniform_int_distribution<int>(1, 10)(m_random));
    return size_t(row) < FormulaValues.size() ? FormulaValues[size_t(row)] : 0;
}

std::unique_ptr<FormulaPicture> TFormulaSolver::DrawLaw(const QString& law, CanvasMetrics* metrics)
{
    RandomSymbolValues = true;
    const bool wasSilent = m_law->Silent;
    m_law->Silent = true;
    std::unique_ptr<FormulaPicture> picture;
    try {
        m_law->SetText(law);
        if (m_law->Compiled && !m_law->HasError)
            picture = m_law->DrawToMetafile(metrics);
    } catch (const std::exception&) {
        picture.reset();
    }
    m_law->Silent = wasSilent;
    return picture;
}

TSolveOutcome TFormulaSolver::Recalculate(const QString& law, int unknown)
{
    TSolveOutcome out;
    RandomSymbolValues = false;
    m_law->Silent = Quiet;
    m_values->Silent = Quiet;
    // Engine boxes: quiet, their texts go into the outcome.
    QString engineText;
    real::TMessageHook saved = real::messageHook();
    if (Quiet)
        real::messageHook() = [&](const QString&, const QString& text, real::MessageIcon) { engineText = text; };
    struct Restore {
        real::TMessageHook& hook;
        real::TMessageHook saved;
        bool active;
        ~Restore()
        {
            if (active)
                hook = std::move(saved);
        }
    } restore{real::messageHook(), std::move(saved), Quiet};
    auto refused = [&](const QString& text) {
        out.What = TSolveOutcome::Kind::Refused;
        out.Message = text;
        if (Quiet && !engineText.isEmpty())
            out.Message += QStringLiteral("\r\n") + engineText;
        return out;
    };
    auto failed = [&](const QString& text) {
        out.What = TSolveOutcome::Kind::Failed;
        out.Message = text;
        return out;
    };

    if (unknown < 0 || size_t(unknown) >= Elements.size())
        return refused(QStringLiteral("No hay incógnita: marque en la columna de descripción el elemento que busca."));
    FormulaValues.assign(Elements.size() + 1, 0);

    for (size_t k = 0; k < Elements.size(); ++k) {
        if (int(k) == unknown)
            continue;
        const TFormulaElement& e = Elements[k];
        if (e.Valor.trimmed().isEmpty()) {
            out.What = TSolveOutcome::Kind::Stopped;
            return out;
        }
        const QString invalid = kCheckData + QStringLiteral("\r\n\r\n") +
                                Format(QStringLiteral("La expresión para %s\r\nno es válida"), {element(e)});
        Extended v = 0;
        try {
            engineText.clear();
            v = m_values->EvaluateText(e.Valor);
            if (m_values->HasError || m_values->ErrorCode)
                return refused(invalid);
        } catch (const Exception& ex) {
            return refused(invalid + QStringLiteral(":\r\n") + ex.message());
        }
        try {
            FormulaValues[k + 1] = ConvertFormulaUnits(BaseMagnitude(e.Base), e.Unidad, BaseUnit(e.Base), v);
        } catch (const Exception& ex) {
            return failed(ex.message());
        }
    }

    const TFormulaElement& u = Elements[size_t(unknown)];
    m_law->SetAngleMode(0);
    engineText.clear();
    try {
        m_law->SetText(QStringLiteral("0"));
        m_law->SetText(u.Simb + QStringLiteral(":_; ") + law);
    } catch (const Exception& ex) {
        return failed(ex.message());
    }
    if (m_law->HasError || !m_law->Compiled)
        return Quiet ? failed(engineText.isEmpty() ? m_law->ErrorMessage : engineText) : out;

    Extended x = 0;
    try {
        x = m_law->SolveFor(m_unknownVar);
    } catch (const Exception& ex) {
        return failed(ex.message());
    }
    // A solve that failed has no result: never 0 in its place.
    if (m_law->HasError || m_law->ErrorCode)
        return Quiet ? failed(engineText.isEmpty() ? m_law->ErrorMessage : engineText) : out;
    if (!std::isfinite(x))
        return failed(QStringLiteral("La solución no es un número finito"));
    FormulaValues[size_t(unknown) + 1] = x;
    m_unknownVar->SetValue(x);

    for (int pass = 0; pass < 2; ++pass) {
        const bool minimum = pass == 0;
        for (size_t k = 0; k < Elements.size(); ++k) {
            const TFormulaElement& e = Elements[k];
            const QString bound = (minimum ? e.Min : e.Max).trimmed();
            if (bound.isEmpty())
                continue;
            const QString bad = kCheckData + QStringLiteral("\r\n") +
                                Format(minimum ? QStringLiteral("El mínimo de %s\r\nno es una expresión válida: %s")
                                               : QStringLiteral("El máximo de %s\r\nno es una expresión válida: %s"),
                                       {element(e), bound});
            Extended m = 0;
            try {
                engineText.clear();
                m = m_law->EvaluateText(bound);
                if (m_law->HasError || m_law->ErrorCode)
                    return refused(bad);
            } catch (const Exception& ex) {
                return refused(bad + QStringLiteral("\r\n") + ex.message());
            }
            const Extended value = FormulaValues[k + 1];
            if (minimum ? value < m : value > m)
                return refused(kCheckData + QStringLiteral("\r\n") +
                               Format(minimum ? QStringLiteral("El valor de: %s\r\nno puede ser menor a: %s %s")
                                              : QStringLiteral("El valor de: %s\r\nno puede ser mayor a: %s %s"),
                                      {element(e), bound, BaseUnit(e.Base)}));
        }
    }

    try {
        const Extended shown = ConvertFormulaUnits(BaseMagnitude(u.Base), BaseUnit(u.Base), u.Unidad, x);
        out.Result = FloatToStrDefBase(shown);
    } catch (const Exception& ex) {
        return failed(ex.message());
    }
    out.What = TSolveOutcome::Kind::Solved;
    out.Value = x;
    return out;
}

// ---- sumbrix-eval ----

namespace {

int findSymbol(const std::vector<TFormulaElement>& elements, const QString& symbol)
{
    for (size_t k = 0; k < elements.size(); ++k)
        if (elements[k].Simb.compare(symbol, Qt::CaseInsensitive) == 0)
            return int(k);
    return -1;
}

// "symbol" or "symbol unit".
void splitFirstBlank(const QString& text, QString& head, QString& rest)
{
    const QString t = text.trimmed();
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    head = blank < 0 ? t : t.left(blank);
    rest = blank < 0 ? QString() : t.mid(blank + 1).trimmed();
}

} // namespace

QString SolveFormulaLine(const QString& arguments)
{
    const QStringList parts = arguments.split(QLatin1Char('\t'));
    if (parts.size() < 3 || parts.size() > 4)
        return QStringLiteral("Uso: #formula GRUPO<TAB>FÓRMULA<TAB>INCÓGNITA [unidad]<TAB>símbolo=valor unidad; ...");
    const QString group = parts[0].trimmed();
    const QString name = parts[1].trimmed();
    if (!QFileInfo::exists(FormulaGroupFile(group)))
        return Format(QStringLiteral("No existe el grupo %s"), {group});
    TFormulaGroup file(group);
    if (!file.Exists(name))
        return Format(QStringLiteral("No existe la fórmula %s en el grupo %s"), {name, group});
    if (unitEngine().MagnitudeList.empty())
        LoadUnitDefinitions();
    if (AtomicMassTable().empty())
        LoadAtomicMasses();
    const TFormula f = file.Read(name);

    static real::TExpresion* parent = [] {
        auto* e = new real::TExpresion;   // lives as long as the driver
        e->UseBuiltIns = true;
        return e;
    }();
    TFormulaSolver solver(parent);
    solver.Quiet = true;
    solver.Elements = f.Elements;

    QString symbol, unit;
    splitFirstBlank(parts[2], symbol, unit);
    const int unknown = findSymbol(solver.Elements, symbol);
    if (unknown < 0)
        return Format(QStringLiteral("La fórmula no tiene el elemento %s"), {symbol});
    if (!unit.isEmpty())
        solver.Elements[size_t(unknown)].Unidad = unit;
    if (parts.size() == 4) {
        for (const QString& item : parts[3].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (item.trimmed().isEmpty())
                continue;
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            if (eq <= 0)
                return Format(QStringLiteral("Se esperaba símbolo=valor unidad: %s"), {item.trimmed()});
            const QString s = item.left(eq).trimmed();
            const int row = findSymbol(solver.Elements, s);
            if (row < 0)
                return Format(QStringLiteral("La fórmula no tiene el elemento %s"), {s});
            QString value, valueUnit;
            splitFirstBlank(item.mid(eq + 1), value, valueUnit);
            solver.Elements[size_t(row)].Valor = value;
            if (!valueUnit.isEmpty())
                solver.Elements[size_t(row)].Unidad = valueUnit;
        }
    }
    const TSolveOutcome r = solver.Recalculate(f.Ley, unknown);
    if (r.ok())
        return r.Result + QLatin1Char(' ') + solver.Elements[size_t(unknown)].Unidad;
    QString message = r.Message.isEmpty() ? r.Result : r.Message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return message.simplified();
}
