// The application's tests run under PairsiftApplication, as the program does.
#include "app/PairsiftApplication.h"
#include "ui/Animations.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    pairsift::PairsiftApplication application(argc, argv);
    pairsift::Animations::setDuration(0);
    return RUN_ALL_TESTS();
}
