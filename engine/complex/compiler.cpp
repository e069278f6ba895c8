// The complex engine's compiler: the splitter of engine/compilercore.h without
// logical operators or fractions. Numbers are read in any base only, with
// imaginary part 0 ("E" is a digit here, so 1E5 is 1 times the name E5), and
// "|", "!", "$", "&" are no operators ("|" counts as an ordinary character, and
// the text later fails as an unknown name).

#include "engine/complex/expresion.h"
#include "engine/compilercore.h"

#include "engine/errors.h"

namespace complex {

struct TExpresion::CompileMemo : exprcore::TCompileMemo<TEval> {};

namespace {

struct CompilerTraits;
using Core = exprcore::TCompiler<CompilerTraits>;

struct CompilerTraits : exprcore::TCompilerTypes<TExpresion, TEval, TEvalArray, NodeKind, ECompilacion, NodeGuard,
                                                 TExprMsg, TExt, TComplex, TMakeUser> {
    static constexpr exprcore::CompileRules kRules{
        .logical = false, .logN = true, .percent = true, .resolvers = true, .userFunctions = true,
        .barIsOperator = false};

    static TEval* number(int v) { return new TNum(TComplex{static_cast<Extended>(v), 0}); }
    static TEval* numberInBase(const exprcore::BaseNumber& v) { return new TNum(TComplex{v.value, 0}); }

    [[gnu::noinline]] static TEval* literal(QStringView text)
    {
        exprcore::BaseNumber v;
        return exprcore::ReadNumberWithBase(text.toString(), v) ? numberInBase(v) : nullptr;
    }

    static TEval* implicitProducts(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
    {
        return Core::implicitProduct<Core::BaseNumberRule>(e, text, params, ok);
    }

    static bool resolve(const TComplexNameResolver& resolver, const QString& name, TComplex& v)
    {
        bool ok = false;
        resolver(name, ok, v);
        return ok;
    }
};

} // namespace

EXPRCORE_COMPILER_MEMBERS(Core)

} // namespace complex
