#include "science/unidades/unidades.h"

#include "engine/checked.h"
#include "engine/formatonum.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/underscore.h"
#include "foundation/core/zelini.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Extended kPiExtended = 3.1415926535897932385L;
constexpr Extended kStandardGravity = 9.80665L;

QString NotDeclared(const QString& name)
{
    return Format(QStringLiteral("La magnitud \"%s\" no esta declarada"), {name});
}

} // namespace

QString MagnitudeSortKey(const QString& name)
{
    QString out;
    for (QChar c : StripAmpersands(name).normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c.toLower());
    return out;
}

// ---------------------------------------------------------------------------

void UnitEngineState::reset()
{
    MagnitudeList.clear();
    UnitLoadLog.clear();
    UnitLoadNotices.clear();
    ReloadHandlers.clear();
    NextHandler = 1;
    Generation = 0;
    ShownGeneration = 0;
    UnitVariable = nullptr;
    UnitExpression.reset();
}

UnitEngineState& unitEngine()
{
    static UnitEngineState state;
    return state;
}

const QString& UnitDefinitionsKey()
{
    static const QString key = QStringLiteral("SbxUnid@des.Magnitudes+Conversiones:Tabla2o26!kQz");
    return key;
}

QString UnitDefinitionsFile() { return ExeDir() + QStringLiteral("maguni.def"); }

real::TExpresion& UnitExpression()
{
    UnitEngineState& st = unitEngine();
    if (!st.UnitExpression) {
        auto e = std::make_unique<real::TExpresion>();
        e->SetUseBuiltIns(true);
        st.UnitVariable = e->AddVariable(QStringLiteral("U"));
        e->AddConstant(QStringLiteral("PI/\u00B6"), QString(), kPiExtended);
        e->AddConstant(QStringLiteral("G"), QString(), kStandardGravity);
        // Its compile messages are gathered by the loader, never shown from here.
        e->Silent = true;
        st.UnitExpression = std::move(e);
    }
    return *st.UnitExpression;
}

// ---------------------------------------------------------------------------
// TUnidad

namespace {

// One side compiled: the tree, or none when it does not compile (its message
// goes to `messages`). A name the evaluator does not know ends the unit.
real::TEval* CompileSide(const QString& text, QStringList& messages)
{
    real::TExpresion& e = UnitExpression();
    try {
        real::TEval* tree = e.Compile(text);
        if (!tree)
            messages.append(Format(QStringLiteral("Error en \"%s\": %s"), {text, e.ErrorMessage}));
        return tree;
    } catch (const EConvUnid&) {
        throw;
    } catch (const Exception& ex) {
        throw EConvUnid(Format(QStringLiteral("Error en \"%s\": %s"), {text, ex.message()}));
    }
}

QStringList& CompileMessages()
{
    static QStringList messages;
    return messages;
}

} // namespace

TUnidad::TUnidad(const QString& definition) : m_definition(definition)
{
    using namespace real;
    UnitExpression();
    TVariable* u = unitEngine().UnitVariable;
    TEval* kL = nullptr;
    TEval* kR = nullptr;
    try {
        const QString left = LeftOfUnderscore(definition);
        if (!left.isEmpty())
            kL = CompileSide(left, CompileMessages());
        NodeGuard holdL(kL);
        const QString right = RightOfUnderscore(definition);
        if (!right.isEmpty())
            kR = CompileSide(right, CompileMessages());
        NodeGuard holdR(kR);
        const bool leftUsesU = kL && ContainsVariable(kL, u);
        const bool rightUsesU = kR && ContainsVariable(kR, u);
        auto scaled = [u](TEval* k) { return CreateOp(NodeKind::Mul, k, new TVar(u)); };
        auto divided = [u](TEval* k) { return CreateOp(NodeKind::Div, new TVar(u), k); };
        if (!kL && !kR)
            throw EConvUnid(Format(QStringLiteral("Error en la expresión de conversión: \"%s\""), {definition}));
        if (kL && !kR) {
            if (leftUsesU)
                throw EConvUnid(Format(QStringLiteral("Expresion de conversión incompleta (%d)"), {2}));
            m_to = scaled(kL);
            AddRef(m_to);
            m_from = divided(kL);
            AddRef(m_from);
        } else if (kR && !kL) {
            if (rightUsesU)
                throw EConvUnid(Format(QStringLiteral("Expresion de conversión incompleta (%d)"), {1}));
            m_from = scaled(kR);
            AddRef(m_from);
            m_to = divided(kR);
            AddRef(m_to);
        } else {
            m_to = leftUsesU ? kL : scaled(kL);
            AddRef(m_to);
            m_from = rightUsesU ? kR : scaled(kR);
            AddRef(m_from);
        }
    } catch (...) {
        ReleaseNode(m_to);
        ReleaseNode(m_from);
        m_to = m_from = nullptr;
        throw;
    }
}

TUnidad::~TUnidad()
{
    real::ReleaseNode(m_to);
    real::ReleaseNode(m_from);
}

Extended TUnidad::Run(real::TEval* tree, Extended x)
{
    unitEngine().UnitVariable->SetValue(x);
    // Every operator is checked already; a built-in that lets a non-finite
    // value through is caught here, so no caller ever writes "INF".
    return checked::result(real::EvaluateNode(tree));
}

Extended TUnidad::ToFundamental(Extended x) { return Run(m_to, x); }
Extended TUnidad::FromFundamental(Extended x) { return Run(m_from, x); }

int TMagnitud::IndexOf(const QString& unit) const
{
    for (int i = 0; i < Count(); ++i)
        if (UnitNames[i].compare(unit, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Loading

void FreeUnitDefinitions() { unitEngine().MagnitudeList.clear(); }

int AddUnitReloadHandler(TUnitReloadHandler handler)
{
    UnitEngineState& st = unitEngine();
    const int id = st.NextHandler++;
    st.ReloadHandlers.emplace_back(id, std::move(handler));
    return id;
}

void RemoveUnitReloadHandler(int id)
{
    auto& h = unitEngine().ReloadHandlers;
    h.erase(std::remove_if(h.begin(), h.end(), [id](const auto& e) { return e.first == id; }), h.end());
}

void LoadUnitDefinitions()
{
    UnitEngineState& st = unitEngine();
    UnitExpression();
    st.UnitLoadLog.clear();
    st.UnitLoadNotices.clear();
    FreeUnitDefinitions();
    auto log = [&st](const QString& key, const QString& magnitude, const QString& message) {
        st.UnitLoadLog += key + QStringLiteral(" (") + magnitude + QStringLiteral("): ") + message +
                          QStringLiteral("\r\n");
    };

    std::unique_ptr<TZelIniFile> ini;
    {
        // The settings-file engine reports a file it cannot read through the
        // message boxes; the load keeps that message for later instead.
        struct Quiet : MessageSink {
            QStringList* out;
            int showMessage(const QString& text, const QString&, unsigned flags) override
            {
                out->append(text);
                return DefaultButtonResult(flags);
            }
        } quiet;
        quiet.out = &st.UnitLoadNotices;
        MessageSink* was = Basicos().Messages;
        Basicos().Messages = &quiet;
        try {
            ini = std::make_unique<TZelIniFile>(UnitDefinitionsFile(), UnitDefinitionsKey());
        } catch (...) {
            Basicos().Messages = was;
            throw;
        }
        Basicos().Messages = was;
    }
    // A file that is there but gives not one magnitude (empty, cut, garbled)
    // is told like one that cannot be read: every conversion is gone.
    if (ini->ReadNoSection())
        st.UnitLoadNotices.append(DamagedDataFileMessage(UnitDefinitionsFile()));
    QStringList names;
    ini->ReadSections(names);
    SortMagnitudeNames(names);
    if (names.size() > kMaxMagnitudes) {
        for (qsizetype i = kMaxMagnitudes; i < names.size(); ++i)
            log(QStringLiteral("[") + names[i] + QStringLiteral("]"), names[i],
                Format(QStringLiteral("Demasiadas magnitudes (%d como máximo)"), {kMaxMagnitudes}));
        names = names.mid(0, kMaxMagnitudes);
    }
    st.MagnitudeList.reserve(size_t(names.size()));
    for (const QString& name : names) {
        TMagnitud mag;
        mag.Name = name;
        QStringList lines;
        ini->ReadSectionValues(name, lines);
        for (const QString& line : lines) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            const QString key = eq < 0 ? QString() : line.left(eq);
            const QString value = eq < 0 ? QString() : line.mid(eq + 1);
            if (mag.Count() >= kMaxUnits) {
                log(key, name, Format(QStringLiteral("Demasiadas unidades (%d como máximo)"), {kMaxUnits}));
                continue;
            }
            CompileMessages().clear();
            try {
                if (key == QStringLiteral("UniFundamental")) {
                    mag.Units.push_back(std::make_unique<TUnidad>(QStringLiteral("u_u")));
                    mag.UnitNames.append(value);
                } else {
                    mag.Units.push_back(std::make_unique<TUnidad>(value));
                    mag.UnitNames.append(key);
                }
            } catch (const EConvUnid& e) {
                log(key, name, e.message());
            }
            for (const QString& m : CompileMessages())
                st.UnitLoadNotices.append(key + QStringLiteral(" (") + name + QStringLiteral("): ") + m);
            CompileMessages().clear();
        }
        st.MagnitudeList.push_back(std::move(mag));
    }
    ++st.Generation;
    // A handler may add or remove handlers: run over a copy.
    const auto handlers = st.ReloadHandlers;
    for (const auto& h : handlers)
        h.second();
}

// ---------------------------------------------------------------------------
// Conversions

int FindMagnitude(const QString& magnitude)
{
    const auto& list = unitEngine().MagnitudeList;
    if (magnitude.toLower().startsWith(QStringLiteral("moneda"))) {
        for (size_t i = 0; i < list.size(); ++i)
            if (StripAmpersands(list[i].Name).toLower().startsWith(QStringLiteral("moneda")))
                return int(i);
        return -1;
    }
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Name.compare(magnitude, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

namespace {

// Value in `from` converted to `to` through the fundamental unit, rounded to
// the precision of the data: the scale is the larger of the result and the
// offset of the two units' zeros (what 0 in `from` is in `to`), so that an
// affine conversion (temperatures) leaves no residue of its constants.
Extended ConvertThrough(TUnidad& from, TUnidad& to, Extended value)
{
    if (&from == &to)
        return value;
    const Extended result = to.FromFundamental(from.ToFundamental(value));
    Extended offset = 0;
    try {
        offset = to.FromFundamental(from.ToFundamental(0));
    } catch (const Exception&) {
        offset = 0;   // no zero to compare with (a unit of 1/U): scale of the result alone
    }
    return RoundToDataPrecision(result, offset);
}

} // namespace

Extended ConvertUnits(const QString& magnitude, const QString& fromUnit, const QString& toUnit, Extended value)
{
    const int m = FindMagnitude(magnitude);
    if (m < 0)
        throw EConvUnid(NotDeclared(magnitude));
    TMagnitud& mag = unitEngine().MagnitudeList[size_t(m)];
    const int from = mag.IndexOf(fromUnit);
    if (from < 0)
        throw EConvUnid(NotDeclared(fromUnit));
    const int to = mag.IndexOf(toUnit);
    if (to < 0)
        throw EConvUnid(NotDeclared(toUnit));
    return ConvertThrough(*mag.Units[size_t(from)], *mag.Units[size_t(to)], value);
}

std::int32_t PackConversionTag(int magnitude, int fromUnit, int toUnit)
{
    return std::int32_t(toUnit) * 65536 + std::int32_t(fromUnit) * 256 + std::int32_t(magnitude);
}

TConversionIndices UnpackConversionTag(std::int32_t tag)
{
    const auto& list = unitEngine().MagnitudeList;
    TConversionIndices ix{tag & 0xFF, (tag >> 8) & 0xFF, (tag >> 16) & 0xFF};
    const bool ok = tag >= 0 && (tag >> 24) == 0 && size_t(ix.Magnitude) < list.size() &&
                    ix.From < list[size_t(ix.Magnitude)].Count() && ix.To < list[size_t(ix.Magnitude)].Count();
    if (!ok)
        throw EConvUnid(Format(QStringLiteral("La conversión %d no esta declarada"), {tag}));
    return ix;
}

Extended ConvertByTag(std::int32_t tag, Extended value)
{
    const TConversionIndices ix = UnpackConversionTag(tag);
    TMagnitud& mag = unitEngine().MagnitudeList[size_t(ix.Magnitude)];
    return ConvertThrough(*mag.Units[size_t(ix.From)], *mag.Units[size_t(ix.To)], value);
}

QString ConversionCaption(std::int32_t tag)
{
    const TConversionIndices ix = UnpackConversionTag(tag);
    const TMagnitud& mag = unitEngine().MagnitudeList[size_t(ix.Magnitude)];
    return Format(QStringLiteral("%s -> %s (%s)"), {mag.UnitNames[ix.From], mag.UnitNames[ix.To], mag.Name});
}

bool SplitConversionCaption(const QString& caption, QString& fromUnit, QString& toUnit, QString& magnitude)
{
    const qsizetype arrow = caption.indexOf(QStringLiteral(" -> "));
    const qsizetype open = caption.indexOf(QLatin1Char('('));
    if (arrow < 0 || open < arrow + 4 || !caption.endsWith(QLatin1Char(')')))
        return false;
    fromUnit = caption.left(arrow).trimmed();
    toUnit = caption.mid(arrow + 4, open - arrow - 4).trimmed();
    magnitude = caption.mid(open + 1, caption.size() - open - 2);
    return true;
}

QString CheckUnitName(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("El nombre no puede estar vacío");
    if (name != name.trimmed())
        return Format(QStringLiteral("El nombre \"%s\" no puede empezar ni terminar con espacios"), {name});
    for (const char* bad : {"=", "_", "(", " -> "})
        if (name.contains(QLatin1String(bad)))
            return Format(QStringLiteral("El nombre \"%s\" no puede contener \"%s\""), {name, QString::fromLatin1(bad)});
    return QString();
}

void SortMagnitudeNames(QStringList& names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return MagnitudeSortKey(a) < MagnitudeSortKey(b); });
}
