#include "engine/real/expresion.h"

#include "engine/errors.h"
#include "engine/formuladraw.h"
#include "foundation/core/format.h"

#if __has_include("engine/real/builtins.h")
#include "engine/real/builtins.h"
#define SUMBRIX_REAL_HAS_BUILTINS 1
#endif

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace real {

TMessageHook& messageHook()
{
    static TMessageHook hook;
    return hook;
}

QString MessageCaption() { return QStringLiteral("Aviso"); }

QString TExpresion::ErrorText(int code) const
{
    switch (code) {
    case errCompile: return ParseMessage;
    case errMissing: return QStringLiteral("Falta Expresión");
    case errZeroDivide: return QStringLiteral("División por cero");
    case errOverflow: return QStringLiteral("Desbordamiento: resultado demasiado grande");
    case errUnderflow: return QStringLiteral("Desbordamiento inferior: resultado demasiado pequeño");
    case errInvalidArgument: return QStringLiteral("Argumento no válido");
    case errInvalidOp: return QStringLiteral("Operación no válida");
    case errOther: return QStringLiteral("Error al evaluar la expresión");
    default: return QStringLiteral("Error desconocido");
    }
}

namespace {

// The arithmetic faults the engine turns into codes 11..15; 0 for any other.
int MathCode(const EMathError& e)
{
    const int c = e.code();
    return c >= errZeroDivide && c <= errInvalidOp ? c : 0;
}

// "Si" (c, a, b): only the chosen branch is evaluated.
Extended SiFn(const TEvalArray& a)
{
    return a[0]->Evaluate() > 0 ? a[1]->Evaluate() : a[2]->Evaluate();
}

// "Sim" (c1, w1, c2, w2, ..., [d]).
Extended SimFn(const TEvalArray& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 0; i + 1 < n; i += 2)
        if (a[i]->Evaluate() > 0)
            return a[i + 1]->Evaluate();
    if (n % 2 == 1)
        return a[n - 1]->Evaluate();
    throw EInvalidArgument();
}

} // namespace

TExpresion::TExpresion() = default;

TExpresion::~TExpresion()
{
    FreeRoot();
    FreeSubExpressions();
}

void TExpresion::FreeRoot()
{
    TEval* r = Root;
    Root = nullptr;
    Discard(r);
    m_valueValid = false;
}

void TExpresion::FreeSubExpressions()
{
    // Later definitions may hold earlier ones (and "b:a" names a's very tree):
    // free last to first, each tree at the place it was first defined, so that
    // every holder goes before what it holds.
    for (std::size_t i = SubExpressions.size(); i-- > 0;) {
        TEval* t = SubExpressions[i].second;
        bool earlier = false;
        for (std::size_t j = 0; j < i && !earlier; ++j)
            earlier = SubExpressions[j].second == t;
        if (!t || earlier)
            continue;
        try {
            DetachAndDelete(t);
        } catch (...) {
        }
    }
    SubExpressions.clear();
}

void TExpresion::DetachAndDelete(TEval* tree)
{
    // Whatever its count (the 2000 mark less nothing, as every user is gone),
    // the tree is the list's to free.
    delete tree;
}

// --------------------------------------------------------------------------
// Name table.

bool TExpresion::GetUseBuiltIns() const
{
    const TExpresion* e = this;
    while (e->Parent)
        e = e->Parent;
    return e->UseBuiltIns;
}

void TExpresion::EnsureTable()
{
    if (m_table)
        return;
    if (Parent) {
        Parent->EnsureTable();
        m_table = Parent->m_table;
        TableFlag = Parent->TableFlag;
    } else {
        m_ownTable = std::make_unique<NameTable>();
        m_table = m_ownTable.get();
        AddAlwaysPresent();
        if (GetUseBuiltIns())
            RegisterBuiltIns();
    }
    TableFlag = 1;
}

NameTable* TExpresion::GetTable()
{
    EnsureTable();
    return m_table;
}

void TExpresion::ReloadTable()
{
    if (Parent || !m_table)
        return;
    m_table->Clear();
    AddAlwaysPresent();
    if (UseBuiltIns)
        RegisterBuiltIns();
}

void TExpresion::AddAlwaysPresent()
{
    AddFunctionN(QStringLiteral("Si/If"), SiFn, 3, 3, QStringLiteral("Condicional"));
    AddFunctionN(QStringLiteral("Sim/Ifm"), SimFn, 2, 255, QStringLiteral("Secuencia de condicionales"));
    AddFunctionN(QStringLiteral("LogBase/LogN"), nullptr, 2, 2, QStringLiteral("Logaritmo base N"));
}

void TExpresion::RegisterBuiltIns()
{
#ifdef SUMBRIX_REAL_HAS_BUILTINS
    RegisterBuiltins(*this);
#endif
}

QString TExpresion::FirstAlias(const QString& name)
{
    const int p = name.indexOf(QLatin1Char('/'));
    return p <= 0 ? name : name.left(p);
}

QString TExpresion::SecondAlias(const QString& name)
{
    const int p = name.indexOf(QLatin1Char('/'));
    return p <= 0 ? QString() : name.mid(p + 1);
}

void TExpresion::RegisterEntry(const QString& name, std::unique_ptr<TMake> entry)
{
    EnsureTable();
    TMake* e = m_table->Keep(std::move(entry));
    m_table->Add(FirstAlias(name), e);
    const QString second = SecondAlias(name);
    if (!second.isEmpty())
        m_table->Add(second, e);
}

void TExpresion::AddConstant(const QString& name, const QString& description, Extended value)
{
    EnsureTable();
    // Each alias of a constant gets its own entry with the same data.
    for (const QString& alias : {FirstAlias(name), SecondAlias(name)}) {
        if (alias.isEmpty())
            continue;
        auto e = std::make_unique<TMakeConst>(value);
        e->Description = description;
        m_table->Add(alias, m_table->Keep(std::move(e)));
    }
}

void TExpresion::AddFunction0(const QString& name, TEvalFunc0 fn, std::uint8_t category,
                              const QString& description, TNodeMeasureProc measure, TNodeDrawProc draw)
{
    auto e = std::make_unique<TMakeFun0>(std::move(fn), category);
    e->Description = description;
    e->MeasureProc = std::move(measure);
    e->DrawProc = std::move(draw);
    RegisterEntry(name, std::move(e));
}

void TExpresion::AddFunction1(const QString& name, TEvalFunc1 fn, TEvalFunc1 inverse,
                              const QString& description, TNodeMeasureProc measure, TNodeDrawProc draw)
{
    auto e = std::make_unique<TMakeFun1>(std::move(fn), std::move(inverse));
    e->Description = description;
    e->MeasureProc = std::move(measure);
    e->DrawProc = std::move(draw);
    RegisterEntry(name, std::move(e));
}

void TExpresion::AddFunctionN(const QString& name, TEvalFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs,
                              const QString& description, TNodeMeasureProc measure, TNodeDrawProc draw)
{
    auto e = std::make_unique<TMakeFunN>(std::move(fn), minArgs, maxArgs);
    e->Description = description;
    e->MeasureProc = std::move(measure);
    e->DrawProc = std::move(draw);
    RegisterEntry(name, std::move(e));
}

TVariable* TExpresion::AddVariable(const QString& name)
{
    auto e = std::make_unique<TMakeVar>();
    TVariable* v = e->Variable;
    RegisterEntry(name, std::move(e));
    return v;
}

void TExpresion::AddUserFunction(const QString& name, const QString& body, const QString& description)
{
    EnsureTable();
    const QString text = PreprocessExpression(body);
    const QString fname = FirstAlias(name);
    bool used[26] = {};
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('?'))
            continue;
        const QChar c = text[i + 1].toUpper();
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            throw ECompilacion(Format(QStringLiteral("Parámetro \"%s%s\" no válido en la función %s"),
                                      {QStringLiteral("?"), QString(text[i + 1]), fname}));
        used[c.unicode() - 'A'] = true;
    }
    int count = 0;
    int last = -1;
    for (int i = 0; i < 26; ++i)
        if (used[i])
            last = i;
    for (int i = 0; i <= last; ++i) {
        if (!used[i])
            throw ECompilacion(
                Format(QStringLiteral("Faltan parámetros antes de \"%s%s\" en la función %s"),
                       {QStringLiteral("?"), QString(QChar('A' + last)), fname}));
        ++count;
    }
    auto e = std::make_unique<TMakeUser>(text, static_cast<std::uint8_t>(count));
    e->Description = description;
    RegisterEntry(name, std::move(e));
}

bool TExpresion::GetArity(const QString& name, int& minArgs, int& maxArgs) const
{
    minArgs = maxArgs = 0;
    if (!m_table)
        return false;
    const TMake* e = m_table->Find(name);
    if (!e)
        return false;
    minArgs = e->MinArgs;
    maxArgs = e->MaxArgs;
    return true;
}

// --------------------------------------------------------------------------
// Text, evaluation, solving.

void TExpresion::ShowBox(MessageIcon icon)
{
    if (Silent)
        return;
    if (const TMessageHook& hook = messageHook())
        hook(MessageCaption(), ErrorMessage, icon);
}

void TExpresion::SetText(const QString& text)
{
    if (text == Text && !m_mustCompile)
        return;
    EnsureTable();
    Compiled = false;
    HasError = false;
    Dirty = true;
    Text = text;
    // The old tree goes before the sub-expressions it may share.
    FreeRoot();
    FreeSubExpressions();
    try {
        Root = Compile(text);
    } catch (const Exception& e) {
        // The same text must compile again next time instead of being taken as
        // already done.
        m_mustCompile = true;
        HasError = true;
        ErrorMessage = e.message();
        throw;
    } catch (...) {
        m_mustCompile = true;
        HasError = true;
        throw;
    }
    m_mustCompile = false;
    Compiled = Root != nullptr;
    if (OnChange)
        OnChange(this);
}

void TExpresion::SetValueText(Extended x) { SetText(FloatToStr(x)); }

TEval* TExpresion::Compile(const QString& text)
{
    HasError = false;
    EnsureTable();
    engineState().CurrentAngleMode = AngleMode;
    const QString pre = PreprocessExpression(text);
    ErrorCode = 0;
    bool ok = false;
    TEval* tree = nullptr;
    int code = 0;
    try {
        tree = CompileRaw(pre, ok);
    } catch (const EMathError& e) {
        code = MathCode(e);
        if (!code)
            throw;
    }
    Compiled = ok;
    if (code) {
        ErrorCode = static_cast<std::uint8_t>(code);
        HasError = true;
        ErrorMessage = ErrorText(code);
    } else if (!ok) {
        HasError = true;
        ErrorMessage = ParseMessage;
    }
    if (HasError) {
        Discard(tree);
        ShowBox(MessageIcon::Error);
        return nullptr;
    }
    return tree;
}

namespace {

// Forgets the cached values of the function nodes (and shared operator nodes)
// that read variables, so that the next evaluation computes them under the
// settings of now (a new angle unit). Functions of constants keep the value they
// were folded to.
void ForgetFunctionCaches(TEval* root)
{
    std::unordered_set<TEval*> seen;
    std::vector<TEval*> todo{root};
    while (!todo.empty()) {
        TEval* n = todo.back();
        todo.pop_back();
        if (!seen.insert(n).second)
            continue;
        if ((n->IsFun() || n->IsOp()) && !n->Deps()->empty())
            n->SetStamp(~std::uint64_t(0));
        for (TEval* c : n->Children)
            todo.push_back(c);
        if (n->Kind() == NodeKind::FunUser)
            todo.push_back(static_cast<TFunUser*>(n)->Body);
    }
}

} // namespace

bool TExpresion::RootCurrent() const
{
    return m_valueValid && !Root->IsVolatile() && Root->CurrentStamp() == m_valueStamp;
}

Extended TExpresion::Evaluate()
{
    if (!m_table) {
        FreeRoot();
        Root = Compile(Text);
    }
    Compiled = Root != nullptr;
    // The stamp is taken once: RootCurrent's test, written out.
    const std::uint64_t stamp = Root ? Root->CurrentStamp() : 0;
    if (Root && (Dirty || !m_valueValid || Root->IsVolatile() || stamp != m_valueStamp)) {
        engineState().CurrentAngleMode = AngleMode;
        if (Dirty)
            ForgetFunctionCaches(Root);
        Dirty = false;
        HasError = false;
        ErrorCode = 0;
        m_valueValid = false;
        try {
            Value = EvaluateNode(Root);
            m_valueStamp = stamp;
            m_valueValid = true;
        } catch (const EMathError& e) {
            ErrorCode = static_cast<std::uint8_t>(MathCode(e));
            if (!ErrorCode)
                throw;
        } catch (const EExprMsj& e) {
            ErrorCode = errMessage;
            ErrorMessage = e.message();
        }
        if (ErrorCode) {
            HasError = true;
            if (ErrorCode < errMessage)
                ErrorMessage = ErrorText(ErrorCode);
            if (!Silent) {
                ShowBox(MessageIcon::Information);
                return 0;
            }
        }
    }
    return Value;
}

Extended TExpresion::EvaluateText(const QString& text)
{
    const bool wasSilent = Silent;
    Silent = false;
    TEval* tree = nullptr;
    try {
        tree = Compile(text);
    } catch (...) {
        Silent = wasSilent;
        throw;
    }
    Silent = wasSilent;
    if (!tree)
        return 0;
    NodeGuard hold(tree);
    return tree->Evaluate();
}

Extended TExpresion::SolveFor(TVariable* variable)
{
    engineState().CurrentAngleMode = AngleMode;
    Dirty = false;
    HasError = false;
    ErrorCode = 0;
    Extended result = 0;
    try {
        NodeGuard solved(SolveEquation(Root, variable));
        result = solved.get()->Evaluate();
    } catch (const EMathError& e) {
        ErrorCode = static_cast<std::uint8_t>(MathCode(e));
        if (!ErrorCode) {
            ErrorCode = errOther;
            HasError = true;
            ErrorMessage = ErrorText(errOther);
            throw;
        }
    } catch (const EExprMsj& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (const EDespejar& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (...) {
        ErrorCode = errOther;
        HasError = true;
        ErrorMessage = ErrorText(errOther);
        throw;
    }
    if (ErrorCode) {
        HasError = true;
        if (ErrorCode < errMessage)
            ErrorMessage = ErrorText(ErrorCode);
        ShowBox(MessageIcon::Information);
        return 0;
    }
    return result;
}

bool TExpresion::DependsOn(TVariable* variable) const { return Root && ContainsVariable(Root, variable); }

void TExpresion::SetAngleMode(std::uint8_t mode)
{
    AngleMode = mode;
    Dirty = true;
    if (OnChange)
        OnChange(this);
}

void TExpresion::SetUseBuiltIns(bool on)
{
    if (!Parent)
        UseBuiltIns = on;
    if (OnChange)
        OnChange(this);
}

// --------------------------------------------------------------------------
// Drawing.

std::unique_ptr<FormulaPicture> TExpresion::DrawToMetafile(CanvasMetrics* metrics)
{
    if (!Root)
        return nullptr;
    constexpr int kSize = 20;
    formuladraw::MeasurePass pass;
    FormulaPicture measuring(metrics);
    int width = 0, above = 0, below = 0;
    Root->Measure(measuring, kSize, width, above, below);
    auto picture = std::make_unique<FormulaPicture>(metrics);
    picture->setSize(width + 4, above + below + 4);
    Root->Draw(*picture, 2, 2, kSize);
    return picture;
}

} // namespace real
