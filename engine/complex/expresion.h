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
#include "engine/formulapicture.h"
#include "engine/nametable.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace complex {

class TExpresion;

// Resolves a name: sets `ok` and the value.
using TComplexNameResolver = std::function<void(const QString& name, bool& ok, TComplex& value)>;
using TNotifyEvent = std::function<void(TExpresion* sender)>;

// Caption of the engine's boxes.
QString MessageCaption();

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

inline constexpr int kMaxCompileDepth = 2500;
inline constexpr std::uint64_t kMaxCompileAttempts = 500000;
inline constexpr std::uint64_t kMaxCompileWork = 20000000;
inline constexpr std::ptrdiff_t kCompileStackBudget = 5 * 1024 * 1024;

using NameTable = exprcore::TNameTable<TMake>;

// The engine's start-up: the engine-wide values (EqualityTolerance 1e-14, true
// 1 + 0i, false -1 + 0i). Run once from main() before any window exists.
void StartUp();

class TExpresion {
public:
    TExpresion();
    TExpresion(const TExpresion&) = delete;
    TExpresion& operator=(const TExpresion&) = delete;
    ~TExpresion();

    std::vector<std::pair<QString, TEval*>> SubExpressions;
    TEval* Root = nullptr;
    TComplex Value;
    QString Text;
    bool Compiled = false;
    QString ParseMessage;
    bool Dirty = false;
    bool HasError = false;
    bool Silent = false;
    bool UseBuiltIns = false;
    TExpresion* Parent = nullptr;
    std::uint8_t AngleMode = 0;
    QString ErrorMessage;
    std::uint8_t ErrorCode = 0;
    std::uint8_t TableFlag = 0;
    TComplexNameResolver OnResolveName;
    TComplexNameResolver OnResolveUnknown;
    TNodeMeasureProc ExtMeasureProc;
    TNodeDrawProc ExtDrawProc;
    TNotifyEvent OnChange;
    bool InlineUserFunctions = false;

    // ---- name table ----
    void EnsureTable();
    NameTable* GetTable();
    bool GetUseBuiltIns() const;
    void RegisterBuiltIns();

    void AddConstant(const QString& name, TComplex value, const QString& description);
    void AddFunction0(const QString& name, TComplexFunc0 fn, std::uint8_t category, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    void AddFunction1(const QString& name, TComplexFunc1 fn, TComplexFunc1 inverse, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    void AddFunctionN(const QString& name, TComplexFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs,
                      const QString& description, TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    // Raises ECompilacion for bad parameters (?1, a hole in ?A, ?B, ...).
    void AddUserFunction(const QString& name, const QString& body, const QString& description);
    TVariable* AddVariable(const QString& name);

    static QString FirstAlias(const QString& name);
    static QString SecondAlias(const QString& name);
    bool GetArity(const QString& name, int& minArgs, int& maxArgs) const;

    // ---- text, evaluation, solving ----
    // Never raises: a failed compile leaves no tree and an error code.
    void SetText(const QString& text);
    TEval* Compile(const QString& text);
    void Evaluate(TComplex& result);
    void EvaluateText(const QString& text, TComplex& result);
    void SolveFor(TVariable* variable, TComplex& result);
    bool DependsOn(TVariable* variable) const;
    void SetAngleMode(std::uint8_t mode);
    void SetUseBuiltIns(bool on);
    void FreeSubExpressions();
    QString ErrorText(int code) const;
    // The formula at size 20 with a 2-pixel margin; none without a tree.
    std::unique_ptr<FormulaPicture> DrawToMetafile();

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
    void FreeRoot();
    void SetParseMessage(const QString& message);
    void ShowBox(bool error);
    void AddAlwaysPresent();
    void RegisterEntry(const QString& name, std::unique_ptr<TMake> entry);
    bool RootCurrent() const;
    TEval* CompileRaw(const QString& text, bool& ok);
    TEval* ParseLevel(int level, QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseLevelAlone(int level, QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseExprRaw(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseTermRaw(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseFactorRaw(QStringView text, const TEvalArray& params, bool& ok);
    TEval* ParseNamedCall(QStringView text, const TEvalArray& params, bool& ok, bool& final);
    TEval* ExpandUserFunction(const QString& name, TMakeUser* entry, const TEvalArray& args, bool& ok);

    NameTable* m_table = nullptr;
    std::unique_ptr<NameTable> m_ownTable;
    CompileMemo* m_memo = nullptr;
    std::uint64_t m_messageWrites = 0;
    std::uint64_t m_valueStamp = 0;
    bool m_valueValid = false;
};

// The built-ins of the table (after the always-present entries).
void RegisterBuiltins(TExpresion& e);

} // namespace complex
