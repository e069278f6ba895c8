#include "engine/rational/expresion.h"

#include "engine/errors.h"
#include "engine/formuladraw.h"
#include "engine/rational/builtins.h"
#include "engine/splitter.h"

namespace rational {

TMessageHook& messageHook()
{
    static TMessageHook hook;
    return hook;
}

QString MessageCaption() { return QStringLiteral("Aviso"); }

void StartUp()
{
    engineState().reset();
    fracSettings().reset();
}

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

// The arithmetic faults that keep their codes 11..15; 0 for any other.
int MathCode(const EMathError& e)
{
    const int c = e.code();
    return c >= errZeroDivide && c <= errInvalidOp ? c : 0;
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
    // Later definitions may hold earlier ones ("b:a" names a's very tree): free
    // last to first, each tree at the place it was first defined.
    for (std::size_t i = SubExpressions.size(); i-- > 0;) {
        TEval* t = SubExpressions[i].second;
        bool earlier = false;
        for (std::size_t j = 0; j < i && !earlier; ++j)
            earlier = SubExpressions[j].second == t;
        if (!t || earlier)
            continue;
        delete t;
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

void TExpresion::AddAlwaysPresent()
{
    // One entry for both names, without function: it builds TLogN.
    RegisterEntry(QStringLiteral("LogBase/LogN"), std::make_unique<TMakeFunN>(nullptr, 2, 2));
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

QString TExpresion::FirstAlias(const QString& name)
{
    const qsizetype p = name.indexOf(QLatin1Char('/'));
    return p <= 0 ? name : name.left(p);
}

QString TExpresion::SecondAlias(const QString& name)
{
    const qsizetype p = name.indexOf(QLatin1Char('/'));
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

TVariable* TExpresion::AddVariable(const QString& name)
{
    auto e = std::make_unique<TMakeVar>();
    TVariable* v = e->Variable;
    RegisterEntry(name, std::move(e));
    return v;
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
    if (text == Text)
        return;
    EnsureTable();
    Compiled = false;
    HasError = false;
    Dirty = true;
    Text = text;
    // The old tree goes before the sub-expressions it may share.
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
    const QString pre = exprcore::PreprocessText(text);
    ErrorCode = 0;
    bool ok = false;
    TEval* tree = nullptr;
    int code = 0;
    try {
        tree = CompileRaw(pre, ok);
    } catch (const EMathError& e) {
        code = MathCode(e);
        if (!code) {
            code = errCompile;
            ParseMessage = e.message();
        }
    } catch (const Exception& e) {
        // Unknown names, definitions without identifier, a zero denominator of
        // a literal (1|0), a division by zero while folding (5/0): code 18 with
        // the failure's own message, never one left by an earlier attempt.
        code = errCompile;
        ParseMessage = e.message();
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
        Discard(tree);
        ShowBox(MessageIcon::Error);
        return nullptr;
    }
    return tree;
}

bool TExpresion::RootCurrent() const { return m_valueValid && Root->IsValueCurrent(); }

TFrac TExpresion::Evaluate()
{
    if (!m_table) {
        FreeRoot();
        Root = Compile(Text);
    }
    Compiled = Root != nullptr;
    if (Root && (Dirty || !RootCurrent())) {
        Dirty = false;
        HasError = false;
        ErrorCode = 0;
        m_valueValid = false;
        NewEvaluationPass();
        try {
            Value = Root->Evaluate();
            m_valueValid = true;
        } catch (const EMathError& e) {
            ErrorCode = static_cast<std::uint8_t>(MathCode(e) ? MathCode(e) : errOther);
        } catch (const EExprMsj& e) {
            ErrorCode = errMessage;
            ErrorMessage = e.message();
        } catch (const Exception&) {
            // The plain "División por cero" of a quotient, the zero denominator
            // of a reciprocal of 0, a variable without value.
            ErrorCode = errOther;
        }
        if (ErrorCode) {
            HasError = true;
            if (ErrorCode < errMessage)
                ErrorMessage = ErrorText(ErrorCode);
            if (!Silent) {
                ShowBox(MessageIcon::Information);
                return TFrac();
            }
        }
    }
    return Value;
}

TFrac TExpresion::SolveFor(TVariable* variable)
{
    Dirty = false;
    HasError = false;
    ErrorCode = 0;
    TFrac result;
    NewEvaluationPass();
    try {
        // The guard frees a solved tree built here and leaves a side of the
        // equation (the variable stood alone on the other side) to the equation.
        NodeGuard solved(SolveEquation(Root, variable));
        result = solved.get()->Evaluate();
    } catch (const EMathError& e) {
        ErrorCode = static_cast<std::uint8_t>(MathCode(e) ? MathCode(e) : errOther);
    } catch (const EExprMsj& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (const EDespejar& e) {
        ErrorCode = errMessage;
        ErrorMessage = e.message();
    } catch (const Exception&) {
        ErrorCode = errOther;
    }
    if (ErrorCode) {
        HasError = true;
        if (ErrorCode < errMessage)
            ErrorMessage = ErrorText(ErrorCode);
        ShowBox(MessageIcon::Information);
        return TFrac();
    }
    return result;
}

bool TExpresion::DependsOn(TVariable* variable) const { return Root && ContainsVariable(Root, variable); }

void TExpresion::SetUseBuiltIns(bool on)
{
    if (!Parent)
        UseBuiltIns = on;
    if (OnChange)
        OnChange(this);
}

std::unique_ptr<FormulaPicture> TExpresion::DrawToMetafile(CanvasMetrics* metrics)
{
    if (!Root)
        return nullptr;
    constexpr int kSize = 20;
    // Each node measured once per canvas for the whole drawing.
    formuladraw::MeasurePass pass;
    int width = 0, above = 0, below = 0;
    {
        FormulaPicture measuring(metrics);
        Root->Measure(measuring, kSize, width, above, below);
    }
    auto picture = std::make_unique<FormulaPicture>(metrics);
    picture->setSize(width + 4, above + below + 4);
    Root->Draw(*picture, 2, 2, kSize);
    return picture;
}

} // namespace rational
