#include <gtest/gtest.h>

#ifdef SUMBRIX_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef SUMBRIX_TEST_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
