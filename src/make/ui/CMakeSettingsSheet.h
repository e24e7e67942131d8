#pragma once

#include <QDialog>

class CMakeSet1;
class CMakeSet2;
class QTabWidget;

// Make > Settings: the "Make Settings..." sheet with its two pages and no Apply. It opens with the
// tool paths from the settings store and, while a workspace is open, the workspace's options; OK
// writes the paths back and stores the page values into the workspace record (with no workspace
// open that stores the pages' defaults, which the next opened workspace replaces). Cancel changes
// nothing.
class CMakeSettingsSheet : public QDialog
{
    Q_OBJECT

public:
    explicit CMakeSettingsSheet(QWidget *parent = nullptr);

    // Fills the pages from the settings store and the workspace record.
    void load();
    // What OK does.
    void store() const;

    // OnMakeSettings: load, run modally, store on OK. True when confirmed.
    static bool run(QWidget *parent);

    static inline const QString Caption = QStringLiteral("Make Settings...");

private:
    QTabWidget *m_tabs = nullptr;
    CMakeSet1 *m_page1 = nullptr;
    CMakeSet2 *m_page2 = nullptr;
};
