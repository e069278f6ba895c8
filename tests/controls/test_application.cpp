// The application object: exceptions raised in event handlers end in notify,
// the silent abort without a word, any other in an error box.
#include "controls/application.h"
#include "support/recordingsink.h"
#include "support/fixtures.h"

#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"

#include <QMouseEvent>
#include <QWidget>
#include <stdexcept>

namespace {

// An object whose handler raises what the test asks for when it gets an
// event of its own (a plain event: Qt's mouse dispatch keeps copies of the
// event on its own stack, which an exception passing through would leak; the
// controls therefore end their handlers' exceptions themselves, see Guarded).
class Raiser : public QObject {
public:
    std::function<void()> raise;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            raise();
            return true;
        }
        return QObject::event(e);
    }
};

struct AppFixture : ProcessStateTest {
    RecordingSink sink;
    Raiser w;
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
    }
    void click()
    {
        QEvent e(QEvent::User);
        QApplication::sendEvent(&w, &e);
    }
};

} // namespace

TEST_F(AppFixture, TheApplicationIsOurs)
{
    EXPECT_NE(qobject_cast<TApplication*>(QCoreApplication::instance()), nullptr);
}

TEST_F(AppFixture, AbortEndsSilently)
{
    w.raise = [] { throw EAbort(); };
    click();
    EXPECT_TRUE(sink.empty());
}

TEST_F(AppFixture, OtherExceptionsShowTheirMessageUnderTheTitle)
{
    struct Case {
        const char* what;
        std::function<void()> raise;
        QString message;
    } cases[] = {
        {"program error", [] { throw EConvertError(QStringLiteral("'x' no es un número")); }, QStringLiteral("'x' no es un número")},
        {"integer division", [] { throw EIntDivByZero(); }, QStringLiteral("División entera por cero")},
        {"standard", [] { throw std::runtime_error("fallo"); }, QStringLiteral("fallo")},
        {"anything", [] { throw 42; }, QStringLiteral("Error desconocido")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sink.clear();
        w.raise = c.raise;
        click();
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(sink.boxes[0].text, c.message);
        EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Sumbrix 2.84"));
        EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, mb::IconError);
    }
}

TEST_F(AppFixture, GuardedEndsTheExceptionInPlace)
{
    EXPECT_TRUE(TApplication::Guarded([] {}));
    EXPECT_FALSE(TApplication::Guarded([] { throw EAbort(); }));
    EXPECT_TRUE(sink.empty());
    EXPECT_FALSE(TApplication::Guarded([] { throw Exception(QStringLiteral("mal")); }));
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("mal")});
}

// This program runs inside the program's own application object.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
