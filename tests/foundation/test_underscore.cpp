// The split of a value and its description at the first "_".
#include "foundation/core/underscore.h"
#include "support/testsupport.h"

namespace {

struct Case {
    const char* text;
    const char* left;
    const char* right;
};

TEST(Underscore, SplitsAtTheFirstUnderscoreOfTheTrimmedText)
{
    const Case cases[] = {
        {"3*2_dos veces tres", "3*2", "dos veces tres"},
        {"  U*1000_U/1000  ", "U*1000", "U/1000"},
        {"\t\r\nx_y\r\n", "x", "y"},
        {"sin_guion_dos", "sin", "guion_dos"},   // only the first "_" splits
        {"solo", "solo", ""},
        {"_desc", "", "desc"},
        {"valor_", "valor", ""},
        {"", "", ""},
        {"   ", "", ""},
        {"a _ b", "a ", " b"},                   // the parts themselves are not trimmed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString t = QString::fromUtf8(c.text);
        EXPECT_EQ(LeftOfUnderscore(t), QString::fromUtf8(c.left));
        EXPECT_EQ(RightOfUnderscore(t), QString::fromUtf8(c.right));
    }
}

} // namespace
