#pragma once
// TExpresion: one real-domain expression text with its compiled tree, its name
// table (possibly shared with a parent), its named sub-expressions and the last
// value and error. Compiles, evaluates, solves for a variable and reports every
// failure as an error code with a Spanish message.

#include "engine/exprobject.h"
#include "engine/real/errors.h"
#include "engine/real/program.h"
#include "engine/real/tree.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace exprcore {
template <class Traits> class TCompiler;
}

namespace real {

class TExpresion;

// Resolves a name missing from the name table (chemical formulas, the formula
// manager's symbols): sets `ok` and returns the value.
using TNameResolver = std::function<Extended(const QString& name, bool& ok)>;
using TNotifyEvent = std::function<void(TExpresion* sender)>;

// Error codes, compile limits, MessageIcon, TMessageHook, MessageCaption: the
// engines' common ones.
using namespace exprcore::objectdefs;

// The hook of this engine's boxes (the start-up installs the program's boxes).
TMessageHook& messageHook();

// Removes blanks (every character below "!") and comments in braces, and writes
// ")(" from the fifth character on as ")*(".
QString PreprocessExpression(const QString& text);
// "**" becomes "^" and "//" becomes "\" (for texts typed by the user in editors).
QString ReplaceAltOperators(const QString& text);

using NameTable = exprcore::TNameTable<TMake>;

// What the shared expression object needs of this engine.
struct ExprTraits : exprcore::TCoreTypes<Extended, TEval, TMake, TMakeVar, TVariable, NodeGuard>,
                    exprcore::TFunctionTypes<TEvalFunc0, TEvalFunc1, TEvalFuncN, TMakeFun0, TMakeFun1, TMakeFunN,
                                             TNodeMeasureProc, TNodeDrawProc>,
                    exprcore::TConstUserTypes<TMakeConst, TMakeUser> {
    using QuietScope = exprcore::TNoQuietScope;
    using Fields = exprcore::TAngleFields<TNameResolver, TNodeMeasureProc, TNodeDrawProc>;
    // Faults without a code and compile errors (ECompilacion) reach the caller.
    static constexpr exprcore::FaultPolicy kFaults = exprcore::FaultPolicy::Propagate;
    static Extended EvaluateTree(TEval* tree) { return EvaluateNode(tree); }
    static void Show(const QString& text, bool error);
};

// The fields, the name table and its registration (AddConstant(name,
// description, value), AddFunction0/1/N, AddUserFunction, AddVariable), SetText
// (ECompilacion passes to the caller, leaving the object without a tree and
// HasError set), Compile, ErrorText and DrawToMetafile are the shared object's
// (engine/exprobject.h).
class TExpresion : public exprcore::TExpresionBase<TExpresion, ExprTraits> {
public:
    // Registers the engine's built-ins (after the always-present entries).
    void RegisterBuiltIns();

    // ---- text, evaluation, solving ----
    void SetValueText(Extended x);
    // The value; on a fault 0 with a box, or silently the last good value.
    Extended Evaluate();
    // One text evaluated once; 0 when it does not compile.
    Extended EvaluateText(const QString& text);
    // The variable's value solving Root for it; 0 with a box on an error.
    Extended SolveFor(TVariable* variable);

    // ---- compiler levels (Text without blanks; params are "?A".."?Z") ----
    // Inside a compile they share its memory of attempts; called on their own,
    // each call gets a memory of its own. Results come uncounted: adopt them or
    // free them with Discard.
    bool CheckSyntax(QStringView text);
    void ParseLocalDefinitions(QString& text, const TEvalArray& params);
    TEval* ParseExpr(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseTerm(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseFactor(QStringView text, const TEvalArray& params, bool& ok);
    // Splits "name(a,b,...)": compiles the arguments (returned uncounted: the
    // caller adopts or discards them); ok false when an argument does not compile.
    void ParseCall(QStringView text, const TEvalArray& params, bool& ok, int& count, TEvalArray& args,
                   QString& name);

    struct CompileMemo;   // per-compile memory of attempts (compiler.cpp)

    // ---- for tests and the fuzz target ----
    // Root's value for the current values of the variables, computed both ways
    // an evaluation may take: by the tree (EvaluateNode, the first evaluation
    // of a text) and by the flattened program of the tree (what evaluating
    // again runs: TProgram::Run, and TProgram::TryRun when it answers), the
    // program built afresh. The two must agree bit for bit, or fail with the
    // same code. Each side gives its value or the code of the fault it raised
    // (11..15, 20 for a message, 19 for any other of the program's
    // exceptions). Call it after Evaluate: it uses the settings and caches
    // that left; the object's value, its codes and its own program stay as
    // they were.
    struct TwoWays {
        bool flattened = false;   // false: the tree has no program (program = tree)
        Extended tree = 0;
        int treeCode = 0;
        Extended program = 0;
        int programCode = 0;
        // TryRun's answer: the value, or NaN when it leaves the run to the tree.
        Extended fast = 0;
    };
    TwoWays EvaluateBothWays();

private:
    // What the shared object asks of this engine (engine/exprobject.h).
    friend exprcore::TExpresionBase<TExpresion, ExprTraits>;
    void AddAlwaysPresent();
    void ApplySettings();
    void StartEvaluation(bool solving);
    void EvaluateRoot();   // through the flattened program (engine/real/program.h)
    template <class> friend class exprcore::TCompiler;   // the compiler (compiler.cpp)
    TEval* CompileRaw(const QString& text, bool& ok);

    CompileMemo* m_memo = nullptr;
    TProgramCache m_program;   // Root flattened; dropped whenever the object turns dirty
};

} // namespace real
