#pragma once

#include "workspace/CreateNewRules.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

// Dialog 137 "Create New ...": a kind, a source file name, a location folder and a target file
// name, for New Workspace (project mode, the location following the name), Add new file (file
// mode) and Remove file (list mode: the members' paths). Controls keep their ids as object
// names: list ctl_1008, edits ctl_1009 (source), ctl_1010 (location), ctl_1012 (target), button
// ctl_1011 (Browse), OK ctl_1, Cancel ctl_2. The rules are CreateNewRules'; this wires them.
class CCreateNewLocationDlg : public QDialog
{
    Q_OBJECT

public:
    using Mode = CreateNewRules::Mode;

    struct Setup
    {
        Mode mode = Mode::File;
        bool followName = false; // the location follows the source name until touched
        QString mainFile;        // file mode: the location starts in its folder
        QStringList entryPaths;  // list mode: the members
        QString currentFolder;   // empty: the process's current folder
    };

    explicit CCreateNewLocationDlg(const Setup &setup, QWidget *parent = nullptr);

    // The three callers' set-ups, from the open workspace record.
    static Setup newWorkspaceSetup();
    static Setup newFileSetup();
    static Setup removeFileSetup();

    // Results, valid after OK.
    int chosenIndex() const { return m_chosenIndex; }
    QString location() const { return m_location; } // ends in "/"
    QString sourceName() const { return m_sourceName; }
    QString targetName() const { return m_targetName; }

    bool locationTouched() const { return m_locationTouched; }

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nameStep();
    void browse();

    Setup m_setup;
    QString m_baseFolder;
    bool m_locationTouched = false;
    int m_chosenIndex = 0;
    QString m_location;
    QString m_sourceName;
    QString m_targetName;

    QListWidget *m_list;
    QLineEdit *m_source;
    QLineEdit *m_locationEdit;
    QPushButton *m_browse;
    QLineEdit *m_target;
    QPushButton *m_ok;
};
