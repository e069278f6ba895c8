#pragma once
// TExpresion of the complex engine: one complex-domain expression text with its
// compiled tree, its name table (possibly shared with a parent), its named
// sub-expressions and the last value and error. It follows the real engine's
// object (engine/real/expresion.h) with these differences: values are TComplex
// and come back through output parameters; SetText never raises (every compile
// failure is code 18 with the compile's own message); evaluation and solving
// report any failure that is not an arithmetic fault as code 19; there are no
// logical operators, fractions or display bases.
//
// A silent object shows no box at all, not even the boxes of the complex
// routines (division by an exact zero, ...): the complex-number window compiles
// silently at every keystroke.

#include "engine/complex/errors.h"
#include "engine/complex/tree.h"
#include "engine/exprobject.h"

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

namespace complex {

class TExpresion;

// Resolves a name: sets `ok` and the value.
using TComplexNameResolver = std::function<void(const QString& name, bool& ok, TComplex& value)>;
using TNotifyEvent = std::function<void(TExpresion* sender)>;

// Error codes, compile limits, MessageIcon, TMessageHook, MessageCaption: the
// engines' common ones.
using namespace exprcore::objectdefs;

// The hook of this engine's boxes (the start-up installs the program's boxes).
TMessageHook& messageHook();

using NameTable = exprcore::TNameTable<TMake>;

// The engine's start-up: the engine-wide values (EqualityTolerance 1e-14, true
// 1 + 0i, false -1 + 0i). Run once from main() before any window exists.
void StartUp();

// What the shared expression object needs of this engine.
struct ExprTraits : exprcore::TCoreTypes<TComplex, TEval, TMake, TMakeVar, TVariable, NodeGuard>,
                    exprcore::TFunctionTypes<TComplexFunc0, TComplexFunc1, TComplexFuncN, TMakeFun0, TMakeFun1,
                                             TMakeFunN, TNodeMeasureProc, TNodeDrawProc>,
                    exprcore::TConstUserTypes<TMakeConst, TMakeUser> {
    // A silent object shows no box, the complex routines' included.
    using QuietScope = ComplexQuietErrors;
    using Fields = exprcore::TAngleFields<TComplexNameResolver, TNodeMeasureProc, TNodeDrawProc>;
    static constexpr exprcore::FaultPolicy kFaults = exprcore::FaultPolicy::All;
    static TComplex EvaluateTree(TEval* tree) { return tree->Eval(); }
    static void Show(const QString& text, bool error);
};

// The fields, the name table and its registration (AddFunction0/1/N,
// AddUserFunction, AddVariable), SetText (never raises: a failed compile
// leaves no tree and an error code), Compile, ErrorText and DrawToMetafile are
// the shared object's (engine/exprobject.h).
class TExpresion : public exprcore::TExpresionBase<TExpresion, ExprTraits> {
public:
    void AddConstant(const QString& name, TComplex value, const QString& description)
    {
        TExpresionBase::AddConstant(name, description, value);
    }
    // The built-ins of the table, after the always-present entries (builtins.cpp).
    void RegisterBuiltIns();

    // ---- evaluation, solving (results through `result`, zero on an error) ----
    void Evaluate(TComplex& result);
    void EvaluateText(const QString& text, TComplex& result);
    void SolveFor(TVariable* variable, TComplex& result);

    // ---- compiler levels ----
    bool CheckSyntax(QStringView text);
    void ParseLocalDefinitions(QString& text, const TEvalArray& params);
    TEval* ParseExpr(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseTerm(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseFactor(QStringView text, const TEvalArray& params, bool& ok);
    void ParseCall(QStringView text, const TEvalArray& params, bool& ok, int& count, TEvalArray& args,
                   QString& name);

    struct CompileMemo;

private:
    // What the shared object asks of this engine (engine/exprobject.h).
    friend exprcore::TExpresionBase<TExpresion, ExprTraits>;
    void AddAlwaysPresent();
    void ApplySettings();
    void StartEvaluation(bool solving);
    template <class> friend class exprcore::TCompiler;   // the compiler (compiler.cpp)
    TEval* CompileRaw(const QString& text, bool& ok);

    CompileMemo* m_memo = nullptr;
};

// The built-ins of the table (after the always-present entries).
void RegisterBuiltins(TExpresion& e);

} // namespace complex
