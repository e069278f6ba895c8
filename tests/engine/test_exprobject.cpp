// The expression object the three engines share: each engine keeps failures of
// its own, checks the parameters of user functions alike and reports a compile
// error the way its policy says (real raises; complex and rational give code 18).
#include "support/fixtures.h"

#include "engine/complex/expresion.h"
#include "engine/rational/expresion.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"

#include <functional>
#include <tuple>
#include <type_traits>

namespace {

class ExprObjectTest : public CoreStateTest {};

static_assert(!std::is_same_v<real::ECompilacion, complex::ECompilacion>);
static_assert(!std::is_same_v<real::ECompilacion, rational::ECompilacion>);
static_assert(!std::is_same_v<real::EExprMsj, real::EDespejar>);

TEST_F(ExprObjectTest, OneEnginesHandlerNeverCatchesAnothersFailure)
{
    const auto caughtAsReal = [](const std::function<void()>& raise) {
        try {
            raise();
        } catch (const real::ECompilacion&) {
            return true;
        } catch (const Exception&) {
            return false;
        }
        return false;
    };
    EXPECT_TRUE(caughtAsReal([] { throw real::ECompilacion(QStringLiteral("x")); }));
    EXPECT_FALSE(caughtAsReal([] { throw complex::ECompilacion(QStringLiteral("x")); }));
    EXPECT_FALSE(caughtAsReal([] { throw rational::ECompilacion(QStringLiteral("x")); }));
    EXPECT_FALSE(caughtAsReal([] { throw real::EDespejar(QStringLiteral("x")); }));
}

TEST_F(ExprObjectTest, UserFunctionParametersAreCheckedInEveryEngineWithThem)
{
    struct Case {
        const char* body;
        const char* message;   // empty: accepted
    } cases[] = {
        {"?A+?B", ""},
        {"?a*2", ""},
        {"?1+2", "Parámetro \"?1\" no válido en la función F"},
        {"?B+1", "Faltan parámetros antes de \"?B\" en la función F"},
        {"?A+?C", "Faltan parámetros antes de \"?C\" en la función F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const QString body = QString::fromUtf8(c.body);
        const QString expected = QString::fromUtf8(c.message);
        real::TExpresion r;
        complex::TExpresion z;
        QString realMessage, complexMessage;
        try {
            r.AddUserFunction(QStringLiteral("F/G"), body, QString());
        } catch (const real::ECompilacion& e) {
            realMessage = e.message();
        }
        try {
            z.AddUserFunction(QStringLiteral("F/G"), body, QString());
        } catch (const complex::ECompilacion& e) {
            complexMessage = e.message();
        }
        EXPECT_EQ(realMessage, expected);
        EXPECT_EQ(complexMessage, expected);
        if (expected.isEmpty()) {
            int lo = 0, hi = 0;
            // Both aliases name the same entry.
            EXPECT_TRUE(r.GetArity(QStringLiteral("G"), lo, hi));
            EXPECT_TRUE(z.GetArity(QStringLiteral("F"), lo, hi));
        }
    }
}

TEST_F(ExprObjectTest, CompileErrorsFollowTheEnginesPolicy)
{
    // The real engine raises and compiles the same text again next time.
    real::TExpresion r;
    r.Silent = true;
    EXPECT_THROW(r.SetText(QStringLiteral("2*zzq")), real::ECompilacion);
    EXPECT_TRUE(r.HasError);
    EXPECT_EQ(r.Root, nullptr);
    EXPECT_THROW(r.SetText(QStringLiteral("2*zzq")), real::ECompilacion);

    // The others never raise: code 18 with the compile's own message.
    complex::TExpresion z;
    z.Silent = true;
    EXPECT_NO_THROW(z.SetText(QStringLiteral("2*zzq")));
    rational::TExpresion q;
    q.Silent = true;
    EXPECT_NO_THROW(q.SetText(QStringLiteral("2*zzq")));
    for (const auto& [code, has, message, root] :
         {std::tuple{z.ErrorCode, z.HasError, z.ErrorMessage, z.Root != nullptr},
          std::tuple{q.ErrorCode, q.HasError, q.ErrorMessage, q.Root != nullptr}}) {
        EXPECT_EQ(code, exprcore::errCompile);
        EXPECT_TRUE(has);
        EXPECT_TRUE(message.contains(QStringLiteral("zzq"))) << message.toStdString();
        EXPECT_FALSE(root);
    }
}

} // namespace
