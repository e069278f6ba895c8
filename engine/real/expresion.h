#pragma once
// TExpresion: one real-domain expression text with its compiled tree, its name
// table (possibly shared with a parent), its named sub-expressions and the last
// value and error. Compiles, evaluates, solves for a variable and reports every
// failure as an error code with a Spanish message.

#include "engine/real/errors.h"
#include "engine/formulapicture.h"
#include "engine/nametable.h"
#include "engine/real/tree.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace real {

class TExpresion;

// Resolves a name missing from the name table (chemical formulas, the formula
// manager's symbols): sets `ok` and returns the value.
using TNameResolver = std::function<Extended(const QString& name, bool& ok)>;
using TNotifyEvent = std::function<void(TExpresion* sender)>;

// The boxes the engine shows. The engine has no windows: the shell installs a
// hook; without one nothing is shown.
enum class MessageIcon { Error, Information };
using TMessageHook = std::function<void(const QString& caption, const QString& text, MessageIcon icon)>;
TMessageHook& messageHook();
// Caption of the engine's boxes.
QString MessageCaption();

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

// Removes blanks (every character below "!") and comments in braces, and writes
// ")(" from the fifth character on as ")*(".
QString PreprocessExpression(const QString& text);
// "**" becomes "^" and "//" becomes "\" (for texts typed by the user in editors).
QString ReplaceAltOperators(const QString& text);

// Nesting allowed while compiling: deeper texts and recursive user functions end
// with ECompilacion instead of exhausting the stack.
inline constexpr int kMaxCompileDepth = 2500;
// Attempts (level, text) one compile may ask for, and characters it may scan in
// new attempts: far above what any typed text needs, they stop the cubic worst
// case of the splitter before it freezes the program.
inline constexpr std::uint64_t kMaxCompileAttempts = 500000;
inline constexpr std::uint64_t kMaxCompileWork = 20000000;
// Stack a compile may use (bytes); a backstop for builds with larger frames.
inline constexpr std::ptrdiff_t kCompileStackBudget = 5 * 1024 * 1024;

using NameTable = exprcore::TNameTable<TMake>;

class TExpresion {
public:
    TExpresion();
    TExpresion(const TExpresion&) = delete;
    TExpresion& operator=(const TExpresion&) = delete;
    ~TExpresion();

    // ---- fields (public like the rest of the program reads them) ----
    std::vector<std::pair<QString, TEval*>> SubExpressions;   // named sub-expressions, owned
    TEval* Root = nullptr;         // compiled tree of Text (owned)
    Extended Value = 0;            // value of the last successful evaluation
    QString Text;
    bool Compiled = false;
    QString ParseMessage;
    bool Dirty = false;
    bool HasError = false;
    bool Silent = false;
    bool UseBuiltIns = false;
    TExpresion* Parent = nullptr;  // shares the parent's name table; the parent outlives this object
    std::uint8_t AngleMode = 0;
    QString ErrorMessage;
    std::uint8_t ErrorCode = 0;
    std::uint8_t TableFlag = 0;
    TNameResolver OnResolveName;
    TNameResolver OnResolveUnknown;
    TNodeMeasureProc ExtMeasureProc;
    TNodeDrawProc ExtDrawProc;
    TNotifyEvent OnChange;
    bool InlineUserFunctions = false;

    // ---- name table ----
    void EnsureTable();
    NameTable* GetTable();
    bool GetUseBuiltIns() const;
    void ReloadTable();
    void RegisterBuiltIns();

    void AddConstant(const QString& name, const QString& description, Extended value);
    void AddFunction0(const QString& name, TEvalFunc0 fn, std::uint8_t category, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    void AddFunction1(const QString& name, TEvalFunc1 fn, TEvalFunc1 inverse, const QString& description,
                      TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    void AddFunctionN(const QString& name, TEvalFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs,
                      const QString& description, TNodeMeasureProc measure = {}, TNodeDrawProc draw = {});
    // Raises ECompilacion for bad parameters (?1, a hole in ?A, ?B, ...).
    void AddUserFunction(const QString& name, const QString& body, const QString& description);
    // A new variable (value 0); it lives as long as the name table.
    TVariable* AddVariable(const QString& name);

    static QString FirstAlias(const QString& name);
    static QString SecondAlias(const QString& name);
    bool GetArity(const QString& name, int& minArgs, int& maxArgs) const;

    // ---- text, evaluation, solving ----
    // Compiles when the text differs from the current one; ECompilacion passes to
    // the caller, leaving the object without a tree (HasError set).
    void SetText(const QString& text);
    void SetValueText(Extended x);
    // The driver: a tree (owned by the caller) or none; reports errors.
    TEval* Compile(const QString& text);
    Extended Evaluate();
    Extended EvaluateText(const QString& text);
    Extended SolveFor(TVariable* variable);
    bool DependsOn(TVariable* variable) const;
    void SetAngleMode(std::uint8_t mode);
    void SetUseBuiltIns(bool on);
    void FreeSubExpressions();
    // The text of an error code (18, not stored by this engine, is the compiler's
    // message).
    QString ErrorText(int code) const;

    // ---- drawing ----
    // The formula as a recorded picture: measured at size 20 on a first picture,
    // then Width + 4 by Above + Below + 4 pixels with the tree drawn at (2, 2) on
    // a second; none without a tree. `metrics` answers the measuring
    // (PictureMetrics::current() when null; it must outlive the picture).
    std::unique_ptr<FormulaPicture> DrawToMetafile(CanvasMetrics* metrics = nullptr);

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

private:
    void FreeRoot();
    void SetParseMessage(const QString& message);
    void ShowBox(MessageIcon icon);
    void AddAlwaysPresent();
    void RegisterEntry(const QString& name, std::unique_ptr<TMake> entry);
    void DetachAndDelete(TEval* tree);
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
    std::uint64_t m_valueStamp = 0;   // variable versions Value was computed from
    bool m_valueValid = false;
    bool m_mustCompile = false;       // the last compile of Text ended with an exception
};

} // namespace real
