#include "engine/complex/expresion.h"

#include "engine/errors.h"
#include "engine/formuladraw.h"
#include "engine/splitter.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace complex {

QString MessageCaption() { return QStringLiteral("Aviso"); }

void StartUp() { engineState().reset(); }

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

// The arithmetic faults the engine turns into codes 11..15; 0 for any other
// (the root operator's fault is of the common class: code 19).
int MathCode(const EMathError& e)
{
    const int c = e.code();
    return c >= errZeroDivide && c <= errInvalidOp ? c : 0;
}

// "Si" (c, a, b): only the chosen branch is evaluated; true is a real part
// above 0.
void SiFn(const TEvalArray& a, TComplex& r)
{
    r = IsTrue(a[0]->Eval()) ? a[1]->Eval() : a[2]->Eval();
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
    // Later definitions may hold earlier ones: free last to first, each tree at
    // the place it was first defined.
    for (std::size_t i = SubExpressions.size(); i-- > 0;) {
        TEval* t = SubExpressions[i].second;
        bool earlier = false;
        for (std::size_t j = 0; j < i && !earlier; ++j)
            earlier = SubExpressions[j].second == t;
        if (!t || earlier)
            continue;
        try {
            delete t;
        } catch (...) {
        }
    }
    SubExpressions.clear();
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

void TExpresion::AddAlwaysPresent()
{
    AddConstant(QStringLiteral("i"), TComplex{0, 1}, QStringLiteral("Raiz cuadrada de -1"));
    AddFunctionN(QStringLiteral("Si/If"), SiFn, 3, 3, QString());
    AddFunctionN(QStringLiteral("LogBase/LogN"), nullptr, 2, 2, QString());
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

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

void TExpresion::AddConstant(const QString& name, TComplex value, const QString& description)
{
    EnsureTable();
    for (const QString& alias : {FirstAlias(name), SecondAlias(name)}) {
        if (alias.isEmpty())
            continue;
        auto e = std::make_unique<TMakeConst>(value);
        e->Description = description;
        m_table->Add(alias, m_table->Keep(std::move(e)));
    }
}

void TExpresion::AddFunction0(const QString& name, TComplexFunc0 fn, std::uint8_t category,
                              const QString& description, TNodeMeasureProc measure, TNodeDrawProc draw)
{
    auto e = std::make_unique<TMakeFun0>(std::move(fn), category);
    e->Description = description;
    e->MeasureProc = std::move(measure);
    e->DrawProc = std::move(draw);
    RegisterEntry(name, std::move(e));
}

void TExpresion::AddFunction1(const QString& name, TComplexFunc1 fn, TComplexFunc1 inverse,
                              const QString& description, TNodeMeasureProc measure, TNodeDrawProc draw)
{
    auto e = std::make_unique<TMakeFun1>(std::move(fn), std::move(inverse));
    e->Description = description;
    e->MeasureProc = std::move(measure);
    e->DrawProc = std::move(draw);
    RegisterEntry(name, std::move(e));
}

void TExpresion::AddFunctionN(const QString& name, TComplexFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs,
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
    const QString text = exprcore::PreprocessText(body);
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

void TExpresion::ShowBox(bool error)
{
    if (Silent)
        return;
    MsgBox(ErrorMessage, MessageCaption(), mb::Ok | (error ? mb::IconError : mb::IconInformation));
}

void TExpresion::SetText(const QString& text)
{
    if (text == Text)
        return;
    EnsureTable();
    Compiled = false;
    HasError = false;
    Dirty = true;
    Text = text;
    FreeRoot();
    FreeSubExpressions();
    Root = Compile(text);
    Compiled = Root != nullptr;
    if (OnChange)
        OnChange(this);
}

TEval* TExpresion::Compile(const QString& text)
{
    HasError = false;
    EnsureTable();
    engineState().CurrentAngleMode = AngleMode;
    const QString pre = exprcore::PreprocessText(text);
    ErrorCode = 0;
    bool ok = false;
    TEval* tree = nullptr;
    int code = 0;
    // A silent object shows no box, the complex routines' included.
    ComplexQuietErrors quiet(Silent);
    try {
        tree = CompileRaw(pre, ok);
    } catch (const EMathError& e) {
        code = MathCode(e);
        if (!code) {
            code = errCompile;
            ParseMessage = e.message();
        }
    } catch (const Exception& e) {
        // An unknown name, a local definition without identifier, the abort
        // after a box of the complex routines while a constant part is folded:
        // code 18 always carries this compile's own message.
        code = errCompile;
        ParseMessage = e.message();
    } catch (const std::bad_alloc&) {
        code = errCompile;
        ParseMessage = QStringLiteral("Memoria insuficiente para compilar la expresión");
    } catch (...) {
        code = errCompile;
        ParseMessage = QStringLiteral("Error al compilar la expresión");
    }
    Compiled = ok && !code;
    if (code) {
        ErrorCode = static_cast<std::uint8_t>(code);
        HasError = true;
        ErrorMessage = ErrorText(code);
    } else if (!ok) {
        HasError = true;
        ErrorMessage = ParseMessage;
    }
    if (HasError) {
        if (ErrorMessage.isEmpty())
            ErrorMessage = ParseMessage = QStringLiteral("Error de sintaxis");
        Discard(tree);
        ShowBox(true);
        return nullptr;
    }
    return tree;
}

namespace {

// Forgets the cached values of the function nodes (and shared operators), so
// that the next evaluation computes them under the settings of now: Arg(i) and
// Polar(2, 90) depend on the angle unit though their arguments are constants.
void ForgetFunctionCaches(TEval* root)
{
    std::unordered_set<TEval*> seen;
    std::vector<TEval*> todo{root};
    while (!todo.empty()) {
        TEval* n = todo.back();
        todo.pop_back();
        if (!seen.insert(n).second)
            continue;
        if (n->IsFun() || n->IsOp())
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

void TExpresion::Evaluate(TComplex& result)
{
    if (!m_table) {
        FreeRoot();
        Root = Compile(Text);
    }
    Compiled = Root != nullptr;
    if (Root && (Dirty || !RootCurrent())) {
        engineState().CurrentAngleMode = AngleMode;
        if (Dirty)
            ForgetFunctionCaches(Root);
        Dirty = false;
        HasError = false;
        ErrorCode = 0;
        m_valueValid = false;
        ComplexQuietErrors quiet(Silent);
        try {
            const std::uint64_t stamp = Root->CurrentStamp();
            TComplex v;
            Root->Evaluate(v);
            Value = v;
            m_valueStamp = stamp;
            m_valueValid = true;
        } catch (const EMathError& e) {
            ErrorCode = static_cast<std::uint8_t>(MathCode(e));
            if (!ErrorCode)
                ErrorCode = errOther;
        } catch (const EExprMsj& e) {
            ErrorCode = errMessage;
            ErrorMessage = e.message();
        } catch (...) {
            ErrorCode = errOther;
        }
        if (ErrorCode) {
            HasError = true;
            if (ErrorCode < errMessage)
                ErrorMessage = ErrorText(ErrorCode);
            if (!Silent) {
                ShowBox(false);
                result = TComplex{};
                return;
            }
        }
    }
    result = Value;
}

void TExpresion::EvaluateText(const QString& text, TComplex& result)
{
    result = TComplex{};
    const bool wasSilent = Silent;
    Silent = false;
    TEval* tree = Compile(text);
    Silent = wasSilent;
    if (!tree)
        return;
    NodeGuard hold(tree);
    ComplexQuietErrors quiet(Silent);
    tree->Evaluate(result);
}

void TExpresion::SolveFor(TVariable* variable, TComplex& result)
{
    result = TComplex{};
    engineState().CurrentAngleMode = AngleMode;
    Dirty = false;
    HasError = false;
    ErrorCode = 0;
    TComplex value;
    ComplexQuietErrors quiet(Silent);
    try {
        NodeGuard solved(SolveEquation(Root, variable));
        solved.get()->Evaluate(value);
    } catch (const EMathError& e) {
        ErrorCode = static_cast<std::uint8_t>(MathCode(e));
        if (!ErrorCode)
            ErrorCode = errOther;
    } catch (const EExprMsj& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (const EDespejar& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (...) {
        ErrorCode = errOther;
    }
    if (ErrorCode) {
        HasError = true;
        if (ErrorCode < errMessage)
            ErrorMessage = ErrorText(ErrorCode);
        ShowBox(false);
        return;
    }
    result = value;
}

std::unique_ptr<FormulaPicture> TExpresion::DrawToMetafile()
{
    if (!Root)
        return nullptr;
    formuladraw::MeasurePass pass;
    int width = 0, above = 0, below = 0;
    {
        FormulaPicture measuring;
        Root->Measure(measuring, 20, width, above, below);
    }
    auto picture = std::make_unique<FormulaPicture>();
    picture->setSize(width + 4, above + below + 4);
    Root->Draw(*picture, 2, 2, 20);
    return picture;
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

} // namespace complex
