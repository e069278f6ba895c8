#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"

#include <gtest/gtest.h>

namespace {

class DirectivesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = EvalDirectives();
        EvalDirectives().clear();
        AddEvalDirective(QStringLiteral("eco"), QStringLiteral("#eco TEXTO"),
                         [](const QString& a) { return QStringLiteral("[") + a + QStringLiteral("]"); });
        AddEvalDirective(QStringLiteral("falla"), QStringLiteral("#falla"),
                         [](const QString&) -> QString { throw Exception(QStringLiteral("Número no válido")); });
        AddEvalDirective(QStringLiteral("lineas"), QStringLiteral("#lineas"),
                         [](const QString&) { return QStringLiteral("a\nb"); });
    }
    void TearDown() override { EvalDirectives() = saved; }
    std::vector<TEvalDirective> saved;
};

TEST_F(DirectivesTest, LinesAreAnsweredByTheirDirective)
{
    struct Case {
        const char* line;
        bool taken;
        const char* answer;
    } cases[] = {
        {"#eco  uno dos ", true, "[uno dos]"},
        {"#ECO x", true, "[x]"},
        {"#eco\tH2O", true, "[H2O]"},
        {"#eco", true, "[]"},
        {"#falla 3", true, "Excepción: Número no válido"},
        {"#lineas", true, "a b"},
        {"#set base 2", false, ""},
        {"#ecox 1", false, ""},
        {"eco 1", false, ""},
    };
    for (const Case& c : cases) {
        QString answer;
        EXPECT_EQ(RunEvalDirective(QString::fromUtf8(c.line), answer), c.taken) << c.line;
        EXPECT_EQ(answer, QString::fromUtf8(c.answer)) << c.line;
    }
}

} // namespace
