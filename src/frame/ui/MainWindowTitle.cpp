#include "frame/ui/MainWindowTitle.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QWidget>

MainWindowTitle::MainWindowTitle(QWidget *window, std::function<QString()> compose)
    : QObject(window)
    , m_window(window)
    , m_compose(std::move(compose))
{
    window->installEventFilter(this);
}

void MainWindowTitle::update()
{
    if (!m_window || m_applying)
        return;
    const QString title = m_compose();
    if (m_window->windowTitle() == title)
        return;
    // Filters run newest first: ahead of the document window's own filter, ours keeps this
    // change from being taken as the new base of its "- [document]" title.
    m_window->removeEventFilter(this);
    m_window->installEventFilter(this);
    const QScopedValueRollback<bool> applying(m_applying, true);
    m_window->setWindowTitle(title);
}

QString MainWindowTitle::compose(const QString &program, QString caption, bool modified)
{
    caption.replace(QLatin1String("[*]"), modified ? QStringLiteral("*") : QString());
    // The document in brackets, as desktop IDEs title their windows: "QVASMIDE - [/p/a.asm*]".
    return caption.isEmpty() ? program
                             : program + QLatin1String(" - [") + caption + QLatin1Char(']');
}

bool MainWindowTitle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::WindowTitleChange) {
        if (m_applying)
            return true;
        // Someone else wrote the title (a maximised document window does): ours again.
        update();
    }
    return QObject::eventFilter(watched, event);
}
