#pragma once
// The expression object the three engines share: the name table (own or a
// parent's), the registration of constants, functions, variables and user
// functions, the compile of a text with its error codes, the evaluation with its
// cache of the last value, the solving for a variable and the reporting of every
// failure through the engine's boxes.
//
// Each engine derives its TExpresion from TExpresionBase<TExpresion, Traits>
// and keeps in its own files only what differs: the value type and how a tree
// gives it, the always-present entries and the built-ins, the compiler levels,
// how a box is shown, whether a compile may raise, and the hooks below.
//
// Hooks the engine's object may declare (found by name; the defaults here):
//   void ApplySettings()              engine-wide settings before compiling,
//                                     evaluating or solving (the angle unit)
//   void StartEvaluation(bool solving)  before a tree is evaluated
//   bool ValueStale()                 Root must be evaluated again
//   void EvaluateRoot()               stores Root's value in Value (and marks
//                                     it valid)
// and must declare TEval* CompileRaw(const QString&, bool& ok),
// void AddAlwaysPresent() and void RegisterBuiltIns().

#include "engine/errors.h"
#include "engine/formuladraw.h"
#include "engine/formulapicture.h"
#include "engine/nametable.h"
#include "engine/splitter.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace exprcore {

// What every engine declares in its own namespace.
namespace objectdefs {

// Engine error codes.
enum : std::uint8_t {
    errNone = 0,
    errMissing = 10,
    errZeroDivide = 11,
    errOverflow = 12,
    errUnderflow = 13,
    errInvalidArgument = 14,
    errInvalidOp = 15,
    errCompile = 18,
    errOther = 19,
    errMessage = 20,
};

// Nesting allowed while compiling: deeper texts and recursive user functions end
// with the engine's compile error instead of exhausting the stack.
inline constexpr int kMaxCompileDepth = 2500;
// Attempts (level, text) one compile may ask for, and characters it may scan in
// new attempts: far above what any typed text needs, they stop the cubic worst
// case of the splitter before it freezes the program.
inline constexpr std::uint64_t kMaxCompileAttempts = 500000;
inline constexpr std::uint64_t kMaxCompileWork = 20000000;
// Stack a compile may use (bytes); a backstop for builds with larger frames.
inline constexpr std::ptrdiff_t kCompileStackBudget = 5 * 1024 * 1024;

// The boxes an engine shows. The engines have no windows: the shell installs a
// hook; without one nothing is shown.
enum class MessageIcon { Error, Information };
using TMessageHook = std::function<void(const QString& caption, const QString& text, MessageIcon icon)>;

// Caption of the engines' boxes.
inline QString MessageCaption() { return QStringLiteral("Aviso"); }

} // namespace objectdefs

using namespace objectdefs;

// Shows a box through an engine's hook, when one is installed.
inline void ShowThroughHook(const TMessageHook& hook, const QString& text, bool error)
{
    if (hook)
        hook(MessageCaption(), text, error ? MessageIcon::Error : MessageIcon::Information);
}

// The program's message box (MsgBox) as an engine's hook: the one route the
// start-up gives the boxes of every engine.
inline void ShowAsMessageBox(const QString& caption, const QString& text, MessageIcon icon)
{
    MsgBox(text, caption, mb::Ok | (icon == MessageIcon::Error ? mb::IconError : mb::IconInformation));
}

// The arithmetic faults the engines turn into codes 11..15; 0 for any other
// (the common class and every unlisted fault).
inline int MathCode(const EMathError& e)
{
    const int c = e.code();
    return c >= errZeroDivide && c <= errInvalidOp ? c : 0;
}

// What evaluating or solving does with a failure that has no code of its own.
enum class FaultPolicy {
    Propagate,    // it passes to the caller (solving marks code 19 first)
    Exceptions,   // the program's exceptions are code 19; others pass
    All,          // every failure is code 19
};

// The fields that only engines with an angle unit and outside names have.
template <class Resolver, class MeasureProc, class DrawProc>
struct TAngleFields {
    std::uint8_t AngleMode = 0;
    Resolver OnResolveName;
    Resolver OnResolveUnknown;
    MeasureProc ExtMeasureProc;
    DrawProc ExtDrawProc;
    bool InlineUserFunctions = false;
};

struct TNoFields {};

// A scope that does nothing (the engines without a quiet mode of their own).
struct TNoQuietScope {
    explicit TNoQuietScope(bool) {}
};

// Forgets the cached values of the function nodes and shared operator nodes
// below `root` for which `forget` holds, so that the next evaluation computes
// them under the settings of now (a new angle unit). The subtrees of a node for
// which `descend` does not hold are not visited (nothing below it is to be
// forgotten). Each node is visited once, and only a node with several holders
// can be met twice: the others are not remembered.
template <class UserNode, class Node, class Pred, class Descend>
void ForgetFunctionCachesT(Node* root, Pred forget, Descend descend)
{
    if (!root)
        return;
    std::unordered_set<Node*> seen;
    std::vector<Node*> todo{root};
    while (!todo.empty()) {
        Node* n = todo.back();
        todo.pop_back();
        if (n->RefCount >= 2 && !seen.insert(n).second)
            continue;
        if ((n->IsFun() || n->IsOp()) && n->Stamp() != ~std::uint64_t(0) && forget(n))
            n->SetStamp(~std::uint64_t(0));
        if (!descend(n))
            continue;
        for (Node* c : n->Children)
            todo.push_back(c);
        if (n->Kind() == decltype(n->Kind())::FunUser)
            todo.push_back(static_cast<UserNode*>(n)->Body);
    }
}

template <class UserNode, class Node, class Pred>
void ForgetFunctionCachesT(Node* root, Pred forget)
{
    ForgetFunctionCachesT<UserNode>(root, forget, [](Node*) { return true; });
}

// The types an engine's traits name (grouped to be listed briefly).
template <class ValueT, class NodeT, class MakeT, class MakeVarT, class VariableT, class NodeGuardT>
struct TCoreTypes {
    using ValueType = ValueT;
    using Node = NodeT;
    using Make = MakeT;
    using MakeVar = MakeVarT;
    using Variable = VariableT;
    using NodeGuard = NodeGuardT;
};

template <class Func0T, class Func1T, class FuncNT, class MakeFun0T, class MakeFun1T, class MakeFunNT,
          class MeasureProcT, class DrawProcT>
struct TFunctionTypes {
    using Func0 = Func0T;
    using Func1 = Func1T;
    using FuncN = FuncNT;
    using MakeFun0 = MakeFun0T;
    using MakeFun1 = MakeFun1T;
    using MakeFunN = MakeFunNT;
    using MeasureProc = MeasureProcT;
    using DrawProc = DrawProcT;
};

template <class MakeConstT, class MakeUserT>
struct TConstUserTypes {
    using MakeConst = MakeConstT;
    using MakeUser = MakeUserT;
};

// Traits (per engine): the TCoreTypes and TFunctionTypes (TConstUserTypes for
// the members that use them), QuietScope, Fields;
//   static ValueType EvaluateTree(Node*);
//   static void Show(const QString& text, bool error);   (a box)
//   static constexpr FaultPolicy kFaults (except with Propagate, a compile
//   never raises: every compile failure is code 18 with its own message).
// The engine's failures are EEngineFailure<Derived, ...> (engine/errors.h).
template <class Derived, class Traits>
class TExpresionBase : public Traits::Fields {
public:
    using ValueType = typename Traits::ValueType;
    using Node = typename Traits::Node;
    using Make = typename Traits::Make;
    using Variable = typename Traits::Variable;
    using NameTable = TNameTable<Make>;
    using CompileError = EEngineFailure<Derived, EngineFailure::Compile>;
    using MessageError = EEngineFailure<Derived, EngineFailure::Message>;
    using SolveError = EEngineFailure<Derived, EngineFailure::Solve>;
    static constexpr bool kCompileNeverRaises = Traits::kFaults != FaultPolicy::Propagate;

    TExpresionBase() = default;
    TExpresionBase(const TExpresionBase&) = delete;
    TExpresionBase& operator=(const TExpresionBase&) = delete;
    ~TExpresionBase()
    {
        FreeRoot();
        FreeSubExpressions();
    }

    // ---- fields (public like the rest of the program reads them) ----
    std::vector<std::pair<QString, Node*>> SubExpressions;   // named sub-expressions, owned
    // The latest of SubExpressions under each name (case folded).
    QHash<QString, Node*> SubExpressionIndex;
    Node* Root = nullptr;          // compiled tree of Text (owned)
    ValueType Value{};             // value of the last successful evaluation
    QString Text;
    bool Compiled = false;
    QString ParseMessage;
    bool Dirty = false;
    bool HasError = false;
    bool Silent = false;
    bool UseBuiltIns = false;
    Derived* Parent = nullptr;     // shares the parent's name table; the parent outlives this object
    QString ErrorMessage;
    std::uint8_t ErrorCode = 0;
    std::uint8_t TableFlag = 0;
    std::function<void(Derived* sender)> OnChange;

    // ---- name table ----
    void EnsureTable()
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
            self().AddAlwaysPresent();
            if (GetUseBuiltIns())
                self().RegisterBuiltIns();
        }
        TableFlag = 1;
    }

    NameTable* GetTable()
    {
        EnsureTable();
        return m_table;
    }

    bool GetUseBuiltIns() const
    {
        const TExpresionBase* e = this;
        while (e->Parent)
            e = e->Parent;
        return e->UseBuiltIns;
    }

    // Fills an own table again from scratch (a child's is its parent's).
    void ReloadTable()
    {
        if (Parent || !m_table)
            return;
        m_table->Clear();
        self().AddAlwaysPresent();
        if (UseBuiltIns)
            self().RegisterBuiltIns();
    }

    static QString FirstAlias(const QString& name)
    {
        const qsizetype p = name.indexOf(QLatin1Char('/'));
        return p <= 0 ? name : name.left(p);
    }

    static QString SecondAlias(const QString& name)
    {
        const qsizetype p = name.indexOf(QLatin1Char('/'));
        return p <= 0 ? QString() : name.mid(p + 1);
    }

    template <class T = Traits>
    void AddConstant(const QString& name, const QString& description, typename T::ValueType value)
    {
        EnsureTable();
        // Each alias of a constant gets its own entry with the same data.
        for (const QString& alias : {FirstAlias(name), SecondAlias(name)}) {
            if (alias.isEmpty())
                continue;
            auto e = std::make_unique<typename T::MakeConst>(value);
            e->Description = description;
            m_table->Add(alias, m_table->Keep(std::move(e)));
        }
    }

    template <class T = Traits>
    void AddFunction0(const QString& name, typename T::Func0 fn, std::uint8_t category, const QString& description,
                      typename T::MeasureProc measure = {}, typename T::DrawProc draw = {})
    {
        RegisterFunction(name, std::make_unique<typename T::MakeFun0>(std::move(fn), category), description,
                         std::move(measure), std::move(draw));
    }

    template <class T = Traits>
    void AddFunction1(const QString& name, typename T::Func1 fn, typename T::Func1 inverse,
                      const QString& description, typename T::MeasureProc measure = {},
                      typename T::DrawProc draw = {})
    {
        RegisterFunction(name, std::make_unique<typename T::MakeFun1>(std::move(fn), std::move(inverse)),
                         description, std::move(measure), std::move(draw));
    }

    template <class T = Traits>
    void AddFunctionN(const QString& name, typename T::FuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs,
                      const QString& description, typename T::MeasureProc measure = {},
                      typename T::DrawProc draw = {})
    {
        RegisterFunction(name, std::make_unique<typename T::MakeFunN>(std::move(fn), minArgs, maxArgs),
                         description, std::move(measure), std::move(draw));
    }

    // Raises the engine's compile error for bad parameters (?1, a hole in ?A,
    // ?B, ...).
    template <class T = Traits>
    void AddUserFunction(const QString& name, const QString& body, const QString& description)
    {
        EnsureTable();
        const QString text = PreprocessText(body);
        const QString fname = FirstAlias(name);
        bool used[26] = {};
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != QLatin1Char('?'))
                continue;
            const QChar c = text[i + 1].toUpper();
            if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
                throw CompileError(Format(QStringLiteral("Parámetro \"%s%s\" no válido en la función %s"),
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
                throw CompileError(
                    Format(QStringLiteral("Faltan parámetros antes de \"%s%s\" en la función %s"),
                           {QStringLiteral("?"), QString(QChar('A' + last)), fname}));
            ++count;
        }
        auto e = std::make_unique<typename T::MakeUser>(text, static_cast<std::uint8_t>(count));
        e->Description = description;
        RegisterEntry(name, std::move(e));
    }

    // A new variable; it lives as long as the name table.
    Variable* AddVariable(const QString& name)
    {
        auto e = std::make_unique<typename Traits::MakeVar>();
        Variable* v = e->Variable;
        RegisterEntry(name, std::move(e));
        return v;
    }

    bool GetArity(const QString& name, int& minArgs, int& maxArgs) const
    {
        minArgs = maxArgs = 0;
        if (!m_table)
            return false;
        const Make* e = m_table->Find(name);
        if (!e)
            return false;
        minArgs = e->MinArgs;
        maxArgs = e->MaxArgs;
        return true;
    }

    // ---- text, evaluation, solving ----
    // Compiles when the text differs from the current one (or its last compile
    // raised). A raising compile passes its exception to the caller, leaving
    // the object without a tree (HasError set).
    void SetText(const QString& text)
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
        // Until the compile returns, the same text must compile again next time
        // instead of being taken as already done.
        m_mustCompile = true;
        try {
            Root = Compile(text);
        } catch (const Exception& e) {
            HasError = true;
            ErrorMessage = e.message();
            throw;
        } catch (const std::exception&) {
            HasError = true;
            throw;
        }
        m_mustCompile = false;
        Compiled = Root != nullptr;
        if (OnChange)
            OnChange(&self());
    }

    // The driver: a tree (owned by the caller) or none; reports errors.
    Node* Compile(const QString& text)
    {
        HasError = false;
        EnsureTable();
        self().ApplySettings();
        const QString pre = PreprocessText(text);
        ErrorCode = 0;
        bool ok = false;
        Node* tree = nullptr;
        int code = 0;
        typename Traits::QuietScope quiet(Silent);
        try {
            tree = self().CompileRaw(pre, ok);
        } catch (const EMathError& e) {
            code = MathCode(e);
            if (!code)
                code = CompileFailure(e.message());
        } catch (const Exception& e) {
            // An unknown name, a local definition without identifier, a zero
            // denominator or a fault while a constant part is folded: code 18
            // with the failure's own message, never one left by an earlier
            // attempt.
            code = CompileFailure(e.message());
        } catch (const std::bad_alloc&) {
            code = CompileFailure(QStringLiteral("Memoria insuficiente para compilar la expresión"));
        } catch (const std::exception&) {
            code = CompileFailure(QStringLiteral("Error al compilar la expresión"));
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
            if constexpr (kCompileNeverRaises) {
                if (ErrorMessage.isEmpty())
                    ErrorMessage = ParseMessage = QStringLiteral("Error de sintaxis");
            }
            Discard(tree);
            ShowBox(true);
            return nullptr;
        }
        return tree;
    }

    bool DependsOn(Variable* variable) const { return Root && ContainsVariable(Root, variable); }

    template <class T = Traits>
    void SetAngleMode(std::uint8_t mode)
    {
        this->AngleMode = mode;
        Dirty = true;
        if (OnChange)
            OnChange(&self());
    }

    void SetUseBuiltIns(bool on)
    {
        if (!Parent)
            UseBuiltIns = on;
        if (OnChange)
            OnChange(&self());
    }

    void AddSubExpression(const QString& name, Node* tree)
    {
        SubExpressions.emplace_back(name, tree);
        SubExpressionIndex.insert(name.toCaseFolded(), tree);
    }

    void FreeSubExpressions()
    {
        // Later definitions may hold earlier ones (and "b:a" names a's very
        // tree): free last to first, each tree at the place it was first
        // defined, so that every holder goes before what it holds. Whatever its
        // count, the tree is the list's to free.
        std::unordered_map<const Node*, std::size_t> first;
        for (std::size_t i = 0; i < SubExpressions.size(); ++i)
            first.try_emplace(SubExpressions[i].second, i);
        for (std::size_t i = SubExpressions.size(); i-- > 0;) {
            Node* t = SubExpressions[i].second;
            if (!t || first[t] != i)
                continue;
            delete t;   // a destructor never raises
        }
        SubExpressions.clear();
        SubExpressionIndex.clear();
    }

    // The text of an error code (18, not stored by the object, is the
    // compiler's message).
    QString ErrorText(int code) const
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

    // The formula as a recorded picture: measured at size 20 on a first
    // picture, then Width + 4 by Above + Below + 4 pixels with the tree drawn
    // at (2, 2) on a second; none without a tree. `metrics` answers the
    // measuring (PictureMetrics::current() when null; it must outlive the
    // picture).
    static constexpr std::size_t kMaxDrawnNodes = 200000;
    std::unique_ptr<FormulaPicture> DrawToMetafile(CanvasMetrics* metrics = nullptr)
    {
        if (!Root)
            return nullptr;
        // Shared sub-expressions (a1:a+a;a2:a1+a1;...) stand for a tree that
        // may be far too large to draw: beyond kMaxDrawnNodes there is no
        // picture, as for an expression without a tree.
        if (ExpandedSizeT(Root, kMaxDrawnNodes) > kMaxDrawnNodes)
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

protected:
    // The value of Root, evaluated again when something it reads has changed;
    // the tree is compiled first when the table is gone. On a fault the value
    // is zero with a box, or silently the last good value.
    ValueType EvaluateValue()
    {
        if (!m_table) {
            FreeRoot();
            Root = Compile(Text);
        }
        Compiled = Root != nullptr;
        if (!Root)
            return Value;
        // Asked first, even when dirty: the engine may take what it needs to
        // know of the tree's state now.
        const bool stale = self().ValueStale();
        if (Dirty || stale) {
            self().ApplySettings();
            self().StartEvaluation(false);
            Dirty = false;
            HasError = false;
            ErrorCode = 0;
            m_valueValid = false;
            typename Traits::QuietScope quiet(Silent);
            RunGuarded(false, [this] { self().EvaluateRoot(); });
            if (ReportFault(false))
                return ValueType{};
        }
        return Value;
    }

    // Evaluates a text once (with boxes even for a silent object); zero when it
    // does not compile.
    ValueType EvaluateTextValue(const QString& text)
    {
        Node* tree = nullptr;
        {
            // Silent again however the compile ends.
            struct Speaking {
                bool& silent;
                const bool was = silent;
                explicit Speaking(bool& s) : silent(s) { silent = false; }
                ~Speaking() { silent = was; }
            } speaking(Silent);
            tree = Compile(text);
        }
        if (!tree)
            return ValueType{};
        typename Traits::NodeGuard hold(tree);
        typename Traits::QuietScope quiet(Silent);
        return Traits::EvaluateTree(tree);
    }

    // The variable's value solving Root for it; zero with a box on any error.
    ValueType SolveValue(Variable* variable)
    {
        self().ApplySettings();
        Dirty = false;
        HasError = false;
        ErrorCode = 0;
        self().StartEvaluation(true);
        ValueType result{};
        typename Traits::QuietScope quiet(Silent);
        RunGuarded(true, [&] {
            // The guard frees a solved tree built here and leaves a side of the
            // equation (the variable alone on the other side) to the equation.
            typename Traits::NodeGuard solved(SolveEquation(Root, variable));
            result = Traits::EvaluateTree(solved.get());
        });
        if (ReportFault(true))
            return ValueType{};
        return result;
    }

    void FreeRoot()
    {
        Node* r = Root;
        Root = nullptr;
        Discard(r);
        m_valueValid = false;
    }

    void RegisterEntry(const QString& name, std::unique_ptr<Make> entry)
    {
        EnsureTable();
        Make* e = m_table->Keep(std::move(entry));
        m_table->Add(FirstAlias(name), e);
        const QString second = SecondAlias(name);
        if (!second.isEmpty())
            m_table->Add(second, e);
    }

    // Default hooks (see the top of this file). Root's stamp (the versions of
    // what it reads) is taken once, for the test and for the value.
    void ApplySettings() {}
    void StartEvaluation(bool) {}
    bool ValueStale()
    {
        m_rootStamp = Root->CurrentStamp();
        return !m_valueValid || Root->IsVolatile() || m_rootStamp != m_valueStamp;
    }
    void EvaluateRoot()
    {
        Value = Traits::EvaluateTree(Root);
        m_valueStamp = m_rootStamp;
        m_valueValid = true;
    }

    NameTable* m_table = nullptr;
    std::unique_ptr<NameTable> m_ownTable;
    std::uint64_t m_messageWrites = 0;
    std::uint64_t m_valueStamp = 0;   // Root's stamp when Value was computed
    std::uint64_t m_rootStamp = 0;    // Root's stamp when its value was last asked for
    bool m_valueValid = false;        // Value belongs to the current tree
    bool m_mustCompile = false;       // the last compile of Text ended with an exception

private:
    Derived& self() { return static_cast<Derived&>(*this); }
    const Derived& self() const { return static_cast<const Derived&>(*this); }

    void ShowBox(bool error)
    {
        if (!Silent)
            Traits::Show(ErrorMessage, error);
    }

    template <class Entry, class MeasureProc, class DrawProc>
    void RegisterFunction(const QString& name, std::unique_ptr<Entry> e, const QString& description,
                          MeasureProc measure, DrawProc draw)
    {
        e->Description = description;
        e->MeasureProc = std::move(measure);
        e->DrawProc = std::move(draw);
        RegisterEntry(name, std::move(e));
    }

    // Inside a compile's handler: code 18 with `message` where a compile never
    // raises, else the failure passes on.
    int CompileFailure([[maybe_unused]] const QString& message)
    {
        if constexpr (kCompileNeverRaises) {
            ParseMessage = message;
            return errCompile;
        } else {
            throw;
        }
    }

    // Runs an evaluation and turns its failures into ErrorCode (and the message
    // of code 20).
    template <class Body>
    void RunGuarded(bool solving, Body&& body)
    {
        try {
            body();
        } catch (const EMathError& e) {
            ErrorCode = static_cast<std::uint8_t>(MathCode(e));
            if (!ErrorCode)
                UncodedFault(solving, true);
        } catch (const MessageError& e) {
            ErrorCode = errMessage;
            ErrorMessage = e.message();
        } catch (const SolveError& e) {
            if (solving) {
                ErrorCode = errMessage;
                ErrorMessage = e.message();
            } else {
                UncodedFault(solving, true);
            }
        } catch (const Exception&) {
            UncodedFault(solving, true);
        } catch (const std::exception&) {
            UncodedFault(solving, false);
        }
    }

    // Inside RunGuarded's handlers: a failure without a code of its own.
    void UncodedFault(bool solving, bool isException)
    {
        if (Traits::kFaults == FaultPolicy::All || (Traits::kFaults == FaultPolicy::Exceptions && isException)) {
            ErrorCode = errOther;
            return;
        }
        if (solving && Traits::kFaults == FaultPolicy::Propagate) {
            ErrorCode = errOther;
            HasError = true;
            ErrorMessage = ErrorText(errOther);
        }
        throw;
    }

    // After a guarded run: HasError and the code's message, and a box (shown
    // unless silent) when `evenSilent` or the object speaks. True when the
    // caller answers zero.
    bool ReportFault(bool evenSilent)
    {
        if (!ErrorCode)
            return false;
        HasError = true;
        if (ErrorCode < errMessage)
            ErrorMessage = ErrorText(ErrorCode);
        if (Silent && !evenSilent)
            return false;
        ShowBox(false);
        return true;
    }
};

} // namespace exprcore
