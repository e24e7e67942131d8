#include "DumpWindow.h"
#include "app/QtPrompts.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dump"));
    QtPrompts prompts;
    prompts.install();

    DumpWindow window;
    window.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        window.openFile(args.at(1));
    } else {
        // Asked once the window is up, so the dialog has a parent to sit on.
        QTimer::singleShot(0, &window, [&window] { window.askForFile(); });
    }
    return app.exec();
}
