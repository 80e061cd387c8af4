#include "app/ApplicationLauncher.h"
#include "app/PairsiftApplication.h"

int main(int argc, char** argv)
{
    pairsift::PairsiftApplication application(argc, argv);
    pairsift::ApplicationLauncher launcher;
    QObject::connect(&launcher, &pairsift::ApplicationLauncher::exitRequested, &application, &QCoreApplication::exit);
    launcher.start();
    return application.exec();
}
