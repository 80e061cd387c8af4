// Test entry point: a Qt application object exists for the whole run, so code that hops to the main
// queue or uses Qt's event loop behaves as it does in the program.
#include <gtest/gtest.h>

#ifdef PAIRSIFT_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    // No test needs a display, whether CTest or test discovery at build time starts the binary.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    TestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
