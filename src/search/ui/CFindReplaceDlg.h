#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modeless Find and Replace dialog. It searches nothing itself: its buttons ask the owner
// (FindCommands) through signals, which reads the choices back with choices(). The find-only
// and the find-and-replace form are one dialog, switched with setForm.
class CFindReplaceDlg : public QDialog
{
    Q_OBJECT

public:
    enum class Form { Find, Replace };

    struct Choices
    {
        QString findText;
        QString replaceText;
        bool matchCase = false;
        bool wholeWord = false;
        bool down = false;
    };

    // Control ids, as object names ctl_<id>.
    enum Control {
        FindNextButton = 1,
        CloseButton = 2,
        ReplaceButton = 1024,
        ReplaceAllButton = 1025,
        WholeWordBox = 1040,
        MatchCaseBox = 1041,
        UpButton = 1056,
        DownButton = 1057,
        FindWhatEdit = 1152,
        ReplaceWithEdit = 1153,
    };

    CFindReplaceDlg(Form form, const Choices &initial, QWidget *parent = nullptr);

    Form form() const { return m_form; }
    void setForm(Form form);
    Choices choices() const;
    // Puts a new find text in and selects it, ready to be typed over.
    void setFindText(const QString &text);

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    void updateButtons();

    Form m_form;
    QLineEdit *m_findWhat = nullptr;
    QLabel *m_replaceLabel = nullptr;
    QLineEdit *m_replaceWith = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QGroupBox *m_direction = nullptr;
    QRadioButton *m_up = nullptr;
    QRadioButton *m_down = nullptr;
    QPushButton *m_findNext = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_replaceAll = nullptr;
};
