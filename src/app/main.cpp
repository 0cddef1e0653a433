// Program entry: initialises every module in dependency order and opens
// the main window.
#include "foundation/captions.h"
#include "foundation/settings.h"

#ifdef KT4_HAVE_GUI
#include <QApplication>
#include <QMainWindow>
#endif

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace kt4;
    settings::InitSettings();
    captions::InitCaptions();
    settings::ProductName = "KT4";

#ifdef KT4_HAVE_GUI
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QString::fromStdString(settings::ProductName));
    w.resize(800, 600);
    w.show();
    return app.exec();
#else
    (void)argc;
    (void)argv;
    std::cerr << "wkt4 was built without windows\n";
    return 1;
#endif
}
