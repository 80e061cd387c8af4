// The application's tests run under PairsiftApplication, as the program does.
#include "app/PairsiftApplication.h"
#include "ui/Animations.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before anything reads them (GIO keeps the first values for the whole run): the user's own home,
    // settings and Trash are never reached, even by a test that forgets to set its own.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(name, home.path().toUtf8() + '/' + QByteArray(name));
    testing::InitGoogleTest(&argc, argv);
    pairsift::PairsiftApplication application(argc, argv);
    pairsift::Animations::setDuration(0);
    return RUN_ALL_TESTS();
}
