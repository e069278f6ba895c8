// The dates and times window on a real X server: its results, and long error
// messages, read whole.
#include "windowfixture.h"

#include "tools/fechas/window/frmfecha.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

class FechaScreen : public ScreenWindowTest {};

TEST_F(FechaScreen, ResultsAndErrorsReadWhole)
{
    TfmFecha w(host, nullptr);
    place(&w);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("fecha_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    struct Case {
        int type;
        QLineEdit* field;
        const char* text;
        const char* name;
    };
    const Case cases[] = {
        {0, w.Edit1, "01/02/2020", "fecha_fecha"},
        {0, w.Edit2, "31 de diciembre del año que viene", "fecha_error"},
        {2, w.Edit4, "12:30:15", "fecha_tiempo"},
        {2, w.Edit5, "1:2:-3 y un poco más de texto", "fecha_error_tiempo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.ComboBox1->setCurrentIndex(c.type);
        c.field->setText(QString::fromUtf8(c.text));
        faults = screencheck::check(&w, QString::fromLatin1(c.name));
        EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    }
}

} // namespace
