// The other tool windows and the main window on a real X server, at their
// default size: painted whole, their texts whole.
#include "windowfixture.h"

#include "tools/complejos/window/frmcomplex.h"
#include "tools/polinomios/window/frmpoli.h"
#include "tools/primos/window/frmprimos.h"

namespace {

class OtherWindowsScreen : public ScreenWindowTest {};

template <class Window>
void CheckAtDefaultSize(ToolHost& host, const char* name)
{
    SCOPED_TRACE(name);
    Window w(host, nullptr);
    w.move(40, 40);
    const screencheck::Faults faults = screencheck::check(&w, QString::fromLatin1(name));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(OtherWindowsScreen, EachAtItsDefaultSize)
{
    CheckAtDefaultSize<TfmComplex>(host, "complejos");
    CheckAtDefaultSize<TfmPoli>(host, "polinomios");
    CheckAtDefaultSize<TfmPrimos>(host, "primos");
}

} // namespace
