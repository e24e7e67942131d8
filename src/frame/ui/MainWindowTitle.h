#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// The main window's title as its owner composes it: the program name and the active document
// ("QVASMIDE - [/p/hello.asm*]"), said once. A maximised document window whose buttons sit in the
// menu bar writes "title - [document]" into the main window on its own; that is undone as soon
// as it happens.
class MainWindowTitle : public QObject
{
public:
    // compose gives the title the window should show at the moment it is asked.
    MainWindowTitle(QWidget *window, std::function<QString()> compose);

    // Composes the title again and shows it when it differs.
    void update();

    // The program name, then " - " and the document window's caption in brackets when there is
    // one; a "[*]" placeholder in the caption becomes "*" while modified, or goes.
    static QString compose(const QString &program, QString caption, bool modified);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::function<QString()> m_compose;
    bool m_applying = false;
};
