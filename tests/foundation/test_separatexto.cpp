#include "foundation/core/separatexto.h"
#include "support/testsupport.h"

#include <QStringList>

namespace {

QStringList fields(TSeparaTexto& s)
{
    QStringList out;
    int guard = 0;
    while (!s.AtEnd() && ++guard < 100) {
        QString f;
        s.Next(f);
        out.append(f);
    }
    return out;
}

TEST(SeparaTexto, FieldRules)
{
    struct Case {
        const char* text;
        QStringList fields;
    };
    const Case cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {",a", {"", "a"}},
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b"}},
        {"", {}},
        {",", {""}},
        {",,", {"", ""}},
        {"\"x y\",z", {"x y", "z"}},
        {"\"x,y\"", {"\"x", "y\""}},   // quotes do not protect a separator
        {"\"abc,d", {"\"abc", "d"}},   // a quote only at the start stays
        {"\"\",a", {"", "a"}},
        {"\",a", {"", "a"}},           // one quote alone is an empty field
        {"one", {"one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TSeparaTexto s;
        s.SetText(QString::fromUtf8(c.text));
        s.SetSeparators(QStringLiteral(","));
        EXPECT_EQ(fields(s), c.fields);
    }
}

TEST(SeparaTexto, DefaultsToTabAndAnySeparatorSplits)
{
    TSeparaTexto s;
    EXPECT_EQ(s.Separators(), QStringLiteral("\t"));
    EXPECT_TRUE(s.StripQuotes);
    s.SetText(QStringLiteral("H\tHidrógeno\t1,008"));
    EXPECT_EQ(fields(s), (QStringList{"H", "Hidrógeno", "1,008"}));

    s.SetSeparators(QStringLiteral(",;"));
    s.SetText(QStringLiteral("1;2,3"));
    EXPECT_EQ(fields(s), (QStringList{"1", "2", "3"}));
}

TEST(SeparaTexto, QuotesKeptWhenAsked)
{
    TSeparaTexto s;
    s.StripQuotes = false;
    s.SetSeparators(QStringLiteral(","));
    s.SetText(QStringLiteral("\"a\",b"));
    EXPECT_EQ(fields(s), (QStringList{"\"a\"", "b"}));
}

TEST(SeparaTexto, RestartDeliversTheFieldsAgain)
{
    TSeparaTexto s;
    s.SetText(QStringLiteral("a\tb"));
    EXPECT_EQ(s.Token(), QStringLiteral("a"));
    QString f;
    s.Next(f);
    s.Restart();
    EXPECT_EQ(fields(s), (QStringList{"a", "b"}));
    EXPECT_TRUE(s.Token().isEmpty());
    s.Next(f); // past the end: nothing, no fault
    EXPECT_TRUE(f.isEmpty());
}

} // namespace
