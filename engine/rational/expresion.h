#pragma once
// TExpresion of the rational engine: one expression text over exact fractions
// with its compiled tree, its name table (possibly shared with a parent), its
// named sub-expressions and the last value and error. Compiles (fraction
// literals n|d and w|n|d, decimals turned into fractions), evaluates, solves for
// a variable and draws. No failure leaves the object as an exception: callers
// read HasError and ErrorCode.

#include "engine/formulapicture.h"
#include "engine/nametable.h"
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

namespace rational {

class TExpresion;

using TNotifyEvent = std::function<void(TExpresion* sender)>;

// The boxes the engine shows. The engine has no windows: the shell installs a
// hook; without one nothing is shown.
enum class MessageIcon { Error, Information };
using TMessageHook = std::function<void(const QString& caption, const QString& text, MessageIcon icon)>;
TMessageHook& messageHook();
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

// Limits of one compile: deeper texts, and texts on which the splitter would
// work for too long, end with a compile error instead of exhausting the stack
// or freezing the program.
inline constexpr int kMaxCompileDepth = 2500;
inline constexpr std::uint64_t kMaxCompileAttempts = 500000;
inline constexpr std::uint64_t kMaxCompileWork = 20000000;
inline constexpr std::ptrdiff_t kCompileStackBudget = 5 * 1024 * 1024;

using NameTable = exprcore::TNameTable<TMake>;

// The engine's start-up, run once from main() before any window exists: the
// truth values 1/1 and -1/1, the tolerance 1e-14, and the fraction settings
// (largest denominator 1000, mixed display off).
void StartUp();

class TExpresion {
public:
    TExpresion();
    TExpresion(const TExpresion&) = delete;
    TExpresion& operator=(const TExpresion&) = delete;
    ~TExpresion();

    std::vector<std::pair<QString, TEval*>> SubExpressions;   // named sub-expressions, owned
    TEval* Root = nullptr;         // compiled tree of Text (owned)
    // Value of the last successful evaluation: a copy, valid as long as the
    // caller keeps it (a fraction is a plain value).
    TFrac Value;
    QString Text;
    bool Compiled = false;
    QString ParseMessage;
    bool Dirty = false;
    bool HasError = false;
    bool Silent = false;
    bool UseBuiltIns = false;
    TExpresion* Parent = nullptr;  // shares the parent's name table; the parent outlives this object
    QString ErrorMessage;
    std::uint8_t ErrorCode = 0;
    std::uint8_t TableFlag = 0;
    TNotifyEvent OnChange;

    // ---- name table ----
    void EnsureTable();
    NameTable* GetTable();
    bool GetUseBuiltIns() const;
    void RegisterBuiltIns();

    void AddFunction0(const QString& name, TEvalFunc0 fn, std::uint8_t category, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    void AddFunction1(const QString& name, TEvalFunc1 fn, TEvalFunc1 inverse, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    // A new variable without value; it lives as long as the name table.
    TVariable* AddVariable(const QString& name);

    static QString FirstAlias(const QString& name);
    static QString SecondAlias(const QString& name);

    // ---- text, evaluation, solving ----
    // Compiles when the text differs from the current one; a failed compile
    // never raises (HasError, ErrorCode and ErrorMessage tell).
    void SetText(const QString& text);
    // The driver: a tree (owned by the caller) or none; reports errors.
    TEval* Compile(const QString& text);
    // The value; on an error 0/1 with a box, or silently the last good value.
    TFrac Evaluate();
    // The variable's value solving Root for it; 0/1 on any error.
    TFrac SolveFor(TVariable* variable);
    bool DependsOn(TVariable* variable) const;
    void SetUseBuiltIns(bool on);
    void FreeSubExpressions();
    QString ErrorText(int code) const;

    // The formula at size 20 drawn at (2, 2) on a picture 4 pixels larger than
    // it in each direction; none without a tree. The caller owns the picture.
    std::unique_ptr<FormulaPicture> DrawToMetafile(CanvasMetrics* metrics = nullptr);

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
    void FreeRoot();
    void SetParseMessage(const QString& message);
    void ShowBox(MessageIcon icon);
    void AddAlwaysPresent();
    void RegisterEntry(const QString& name, std::unique_ptr<TMake> entry);
    bool RootCurrent() const;
    TEval* CompileRaw(const QString& text, bool& ok);
    TEval* ParseLevel(int level, QStringView text, bool& ok);
    TEval* ParseExprRaw(QStringView text, bool& ok);
    TEval* ParseTermRaw(QStringView text, bool& ok);
    TEval* ParseFactorRaw(QStringView text, bool& ok);
    TEval* ParseNamedCall(QStringView text, bool& ok, bool& final);

    NameTable* m_table = nullptr;
    std::unique_ptr<NameTable> m_ownTable;
    CompileMemo* m_memo = nullptr;
    std::uint64_t m_messageWrites = 0;
    bool m_valueValid = false;   // Value belongs to the current tree
};

} // namespace rational
