#pragma once
// TExpresion of the rational engine: one expression text over exact fractions
// with its compiled tree, its name table (possibly shared with a parent), its
// named sub-expressions and the last value and error. Compiles (fraction
// literals n|d and w|n|d, decimals turned into fractions), evaluates, solves for
// a variable and draws. No failure leaves the object as an exception: callers
// read HasError and ErrorCode.

#include "engine/exprobject.h"
#include "engine/rational/errors.h"
#include "engine/rational/tree.h"

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

namespace rational {

class TExpresion;

using TNotifyEvent = std::function<void(TExpresion* sender)>;

// Error codes, compile limits, MessageIcon, TMessageHook, MessageCaption: the
// engines' common ones.
using namespace exprcore::objectdefs;

// The hook of this engine's boxes (the start-up installs the program's boxes).
TMessageHook& messageHook();

using NameTable = exprcore::TNameTable<TMake>;

// The engine's start-up, run once from main() before any window exists: the
// truth values 1/1 and -1/1, the tolerance 1e-14, and the fraction settings
// (largest denominator 1000, mixed display off).
void StartUp();

// What the shared expression object needs of this engine.
struct ExprTraits : exprcore::TCoreTypes<TFrac, TEval, TMake, TMakeVar, TVariable, NodeGuard>,
                    exprcore::TFunctionTypes<TEvalFunc0, TEvalFunc1, TEvalFuncN, TMakeFun0, TMakeFun1, TMakeFunN,
                                             TNodeMeasureProc, TNodeDrawProc> {
    using QuietScope = exprcore::TNoQuietScope;
    using Fields = exprcore::TNoFields;
    // The program's exceptions are code 19: no failure leaves the object.
    static constexpr exprcore::FaultPolicy kFaults = exprcore::FaultPolicy::Exceptions;
    static TFrac EvaluateTree(TEval* tree) { return tree->Evaluate(); }
    static void Show(const QString& text, bool error);
};

// The fields (Value is a copy, valid as long as the caller keeps it), the name
// table and its registration (AddFunction0/1, AddVariable: a new variable
// without value), SetText (a failed compile never raises: HasError, ErrorCode
// and ErrorMessage tell), Compile, ErrorText and DrawToMetafile are the shared
// object's (engine/exprobject.h).
class TExpresion : public exprcore::TExpresionBase<TExpresion, ExprTraits> {
public:
    // Registers the engine's built-ins (after the always-present entries).
    void RegisterBuiltIns();

    // The value; on an error 0/1 with a box, or silently the last good value.
    TFrac Evaluate();
    // The variable's value solving Root for it; 0/1 on any error.
    TFrac SolveFor(TVariable* variable);

    // ---- compiler levels (Text without blanks) ----
    // Results come uncounted: adopt them or free them with Discard.
    bool CheckSyntax(QStringView text);
    void ParseLocalDefinitions(QString& text);
    TEval* ParseExpr(QStringView text, bool& ok);
    TEval* ParseTerm(QStringView text, bool& ok);
    TEval* ParseFactor(QStringView text, bool& ok);
    // Splits "name(a,b,...)" and compiles the arguments (returned uncounted).
    void ParseCall(QStringView text, bool& ok, int& count, TEvalArray& args, QString& name);

    struct CompileMemo;   // per-compile memory of attempts (compiler.cpp)

private:
    // What the shared object asks of this engine (engine/exprobject.h).
    friend exprcore::TExpresionBase<TExpresion, ExprTraits>;
    void AddAlwaysPresent();
    void StartEvaluation(bool solving);
    bool ValueStale();
    void EvaluateRoot();
    template <class> friend class exprcore::TCompiler;   // the compiler (compiler.cpp)
    TEval* CompileRaw(const QString& text, bool& ok);

    CompileMemo* m_memo = nullptr;
};

} // namespace rational
