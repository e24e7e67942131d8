#include "app/AppInfo.h"
#include "app/QtPrompts.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPrompts prompts;
    prompts.install();
    QMainWindow window;
    window.setObjectName(QLatin1String(AppInfo::WindowClassName));
    window.setWindowTitle(QLatin1String(AppInfo::DisplayName));
    window.show();
    return app.exec();
}
