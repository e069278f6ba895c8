#include "foundation/core/placement.h"

#include "foundation/core/zelini.h"
#include "fakeform.h"
#include "support/testsupport.h"

namespace {

using Form = FakeForm;

// The engine in memory, with the order of the calls.
struct Store : PlacementStore {
    TZelIniFile ini{QString()};
    QStringList calls;
    int ReadInteger(const QString& s, const QString& n, int d) override { return ini.ReadInteger(s, n, d); }
    void WriteInteger(const QString& s, const QString& n, int v) override
    {
        calls.append(n);
        ini.WriteInteger(s, n, v);
    }
    bool ReadBool(const QString& s, const QString& n, bool d) override { return ini.ReadBool(s, n, d); }
    void WriteBool(const QString& s, const QString& n, bool v) override
    {
        calls.append(n);
        ini.WriteBool(s, n, v);
    }
    void Flush() override { calls.append(QStringLiteral("flush")); }
    void record(const QStringList& lines) { ini.SetSectionLines(QStringLiteral("PosfmPrimos"), lines); }
};

TEST(Placement, WrittenRecord)
{
    Form f;
    f.s = TWindowState::Minimized;
    Store st;
    WritePlacement(f, st, true);
    EXPECT_EQ(st.calls, (QStringList{"First", "Show", "flush", "Top", "Left", "Width", "Height"}));
    QStringList values;
    st.ini.ReadSectionValues(QStringLiteral("PosfmPrimos"), values);
    EXPECT_EQ(values, (QStringList{"First=0", "Show=0", "Top=100", "Left=100", "Width=400", "Height=300"}))
        << "a minimized window is saved as normal";

    Store plain;
    f.s = TWindowState::Maximized;
    WritePlacement(f, plain, false);
    EXPECT_FALSE(plain.calls.contains(QStringLiteral("flush")));
    EXPECT_EQ(plain.ini.ReadInteger(QStringLiteral("PosfmPrimos"), QStringLiteral("Show"), -1), 2);
}

TEST(Placement, ReadingRecords)
{
    struct Case {
        const char* what;
        QStringList record;
        TWindowState stateNow;
        bool first;
        int top, left, width, height;
        TWindowState state;
        bool centred;
    };
    const Case cases[] = {
        {"no record", {}, TWindowState::Normal, true, 100, 100, 400, 300, TWindowState::Normal, true},
        {"First=1 is ignored",
         {"First=1", "Top=5", "Left=5"}, TWindowState::Normal, true, 100, 100, 400, 300, TWindowState::Normal, true},
        {"plain record",
         {"First=0", "Show=0", "Top=50", "Left=60", "Width=500", "Height=200"},
         TWindowState::Normal, false, 50, 60, 500, 200, TWindowState::Normal, false},
        {"clamped with the stored size",
         {"First=0", "Show=0", "Top=900", "Left=0", "Width=400", "Height=200"},
         TWindowState::Normal, false, 824, 0, 400, 200, TWindowState::Normal, false},
        {"coordinates at the integer limits",
         {"First=0", "Show=0", "Top=2147483647", "Left=2147483647"},
         TWindowState::Normal, false, 724, 880, 400, 300, TWindowState::Normal, false},
        {"sizes beyond the screen",
         {"First=0", "Show=0", "Top=-2147483648", "Left=0", "Width=2147483647", "Height=-5"},
         TWindowState::Normal, false, 0, 0, 1280, 0, TWindowState::Normal, false},
        {"left off screen", {"First=0", "Top=10", "Left=-50"}, TWindowState::Normal, false, 10, 0, 400, 300,
         TWindowState::Normal, false},
        {"right off screen", {"First=0", "Top=10", "Left=1000"}, TWindowState::Normal, false, 10, 880, 400, 300,
         TWindowState::Normal, false},
        {"maximized", {"First=0", "Show=2", "Top=-4", "Left=-4", "Width=1288", "Height=1000"},
         TWindowState::Normal, false, 0, 0, 1280, 1000, TWindowState::Maximized, false},
        {"no clamp while maximized now", {"First=0", "Show=2", "Top=-4", "Left=-4"},
         TWindowState::Maximized, false, -4, -4, 400, 300, TWindowState::Maximized, false},
        {"missing and bad numbers keep the current values", {"First=0", "Top=x", "Width=1.5"},
         TWindowState::Normal, false, 100, 100, 400, 300, TWindowState::Normal, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Form f;
        f.s = c.stateNow;
        Store st;
        if (!c.record.isEmpty())
            st.record(c.record);
        EXPECT_EQ(ReadPlacement(f, st, TPosition::poDesktopCenter), c.first);
        EXPECT_EQ(f.t, c.top);
        EXPECT_EQ(f.l, c.left);
        EXPECT_EQ(f.w, c.width);
        EXPECT_EQ(f.h, c.height);
        EXPECT_EQ(f.s, c.state);
        EXPECT_EQ(f.positions, c.centred ? QList<TPosition>{TPosition::poDesktopCenter} : QList<TPosition>{});
    }
}

TEST(Placement, TallWindowsKeepTheirBottomOnTheScreen)
{
    Form f;
    f.t = 10;
    f.h = 1100;
    KeepOnScreen(f);
    EXPECT_EQ(f.t, -76);
    f.t = -20;
    KeepOnScreen(f);
    EXPECT_EQ(f.t, 0);
}

TEST(Placement, PositionAndStateOnly)
{
    Form f;
    Store none;
    EXPECT_TRUE(ReadPlace(f, none));
    EXPECT_EQ(f.t, 100);
    EXPECT_TRUE(f.positions.isEmpty()) << "the designed position stays";

    Store st;
    st.record({"First=0", "Show=0", "Top=900", "Left=-50", "Width=10", "Height=10"});
    EXPECT_FALSE(ReadPlace(f, st));
    EXPECT_EQ(f.t, 724);
    EXPECT_EQ(f.l, 0);
    EXPECT_EQ(f.w, 400) << "the size is never read";

    Form m;
    Store max;
    max.record({"First=0", "Show=2", "Top=-4", "Left=-4"});
    EXPECT_FALSE(ReadPlace(m, max));
    EXPECT_EQ(m.s, TWindowState::Maximized);
    EXPECT_EQ(m.t, -4) << "no clamp for a maximized window";
}

} // namespace
