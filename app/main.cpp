#include "app/AppIdentity.h"
#include "app/InstanceGuard.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Identity first: it decides where every settings object reads and writes.
    AppIdentity::apply();

    InstanceGuard guard(QCoreApplication::applicationName());
    if (!guard.acquire()) {
        // Nothing is shown: the running instance stays the only one on screen.
        std::fprintf(stderr, "Clipnest: %s\n", qPrintable(guard.errorString()));
        return 1;
    }

    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/Resources/windowIcon.png")));

        MainWindow window;
        QObject::connect(&window, &MainWindow::closed, &app, &QCoreApplication::quit);
        result = app.exec();
    }
    guard.release();
    return result;
}
