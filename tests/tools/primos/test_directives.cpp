// The primes tool's lines of sumbrix-eval: one line in, one line out, the
// window's messages for what it refuses.
#include "foundation/core/directives.h"

#include <gtest/gtest.h>

void RegisterDirectives_tool_primos();

namespace {

class PrimeDirectives : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!FindEvalDirective(QStringLiteral("prime")))
            RegisterDirectives_tool_primos();
    }
    static QString Run(const QString& line)
    {
        QString answer;
        EXPECT_TRUE(RunEvalDirective(line, answer)) << line.toStdString();
        return answer;
    }
};

TEST_F(PrimeDirectives, AnswersAndMessages)
{
    struct Case {
        const char* line;
        const char* answer;
    };
    const Case cases[] = {
        {"#prime 97", "primo"},
        {"#prime 91", "compuesto"},
        {"#prime 9223372036854775783", "primo"},
        {"#prime 9223372036854775807", "compuesto"},
        {"#prime 1", "1 no se considera primo"},
        {"#prime 0", "Excepción: El máximo número con el que puede operar es (2^63-1)"},
        {"#prime 9223372036854775808", "Excepción: El máximo número con el que puede operar es (2^63-1)"},
        {"#prime doce", "Excepción: El máximo número con el que puede operar es (2^63-1)"},
        {"#factors 360", "2 2 2 3 3 5"},
        {"#factors 1", ""},
        {"#factors 9223372036854775806", "2 3 715827883 2147483647"},
        {"#factors 9223371873002223329", "3037000453 3037000493"},
        {"#factors 0", "Excepción: Debe operar con números naturales entre 1 y 2^63-1"},
        {"#factors", "Excepción: Debe operar con números naturales entre 1 y 2^63-1"},
        {"#divisors 12", "1 2 3 4 6 12"},
        {"#divisors 1", "1"},
        {"#divisors 97", "1 97"},
        {"#divisors 9223372036854775806",
         "1 2 3 6 715827883 1431655766 2147483647 2147483649 4294967294 4294967298 6442450941 12884901882 "
         "1537228672809129301 3074457345618258602 4611686018427387903 9223372036854775806"},
        {"#divisors -4", "Excepción: Debe operar con números naturales entre 1 y 2^63-1"},
        {"#nthprime 1", "2"},
        {"#nthprime 10000", "104729"},
        {"#nthprime 203280221", "4294967291"},
        {"#nthprime 0", "Excepción: Debe operar con números naturales entre 1 y 2^57"},
        {"#nthprime 144115188075855873", "Excepción: Debe operar con números naturales entre 1 y 2^57"},
        {"#primecount 1 100", "25"},
        {"#primecount 14 16", "0"},
        {"#primecount 100 1", "0"},
        {"#primecount 2 2", "1"},
        {"#primecount 9223372036854775000 9223372036854775807", "19"},
        {"#primecount 5", "Excepción: Debe operar con números naturales entre 1 y 2^63-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Run(QString::fromUtf8(c.line)), QString::fromUtf8(c.answer));
    }
}

TEST_F(PrimeDirectives, EachHasAUsageLine)
{
    for (const char* name : {"prime", "factors", "divisors", "nthprime", "primecount"}) {
        const TEvalDirective* d = FindEvalDirective(QString::fromLatin1(name));
        ASSERT_NE(d, nullptr) << name;
        EXPECT_TRUE(d->Usage.startsWith(QLatin1Char('#') + QString::fromLatin1(name))) << name;
    }
}

} // namespace
