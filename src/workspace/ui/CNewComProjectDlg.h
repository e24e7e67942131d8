#pragma once

#include "workspace/ProjectWizardOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// Dialog 138 "New .COM project": the new project's options (section ProjectCOM). Controls keep
// their resource ids: ctl_1015 " Lowest &CPU" with the directive drop-down ctl_1016 (any text
// may be typed), ctl_1013 " &stack size (bytes)" with the size ctl_1014 (read-only while the box
// is clear, 64..65534 checked on Create), ctl_1012 " use &.start directive", ctl_1017
// " Stan&dard" and ctl_1018 " E&xtended" includes, ctl_1019 " Create &Readme.txt"; ctl_1
// "Crea&te", ctl_2 "Cancel".
class CNewComProjectDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CNewComProjectDlg(const ProjectWizardOptions &options, QWidget *parent = nullptr);

    // The choices as the dialog holds them (valid after Create).
    ProjectWizardOptions options() const;

    // "Please enter an integer between 64 and 65534."
    static QString stackSizeMessage();

    void accept() override;

private:
    void followStackBox();

    QCheckBox *m_cpu;
    QComboBox *m_cpuDirective;
    QCheckBox *m_stack;
    QLineEdit *m_stackSize;
    QCheckBox *m_start;
    QCheckBox *m_standardIncludes;
    QCheckBox *m_extendedIncludes;
    QCheckBox *m_readme;
};
