#pragma once

#include "search/FileNameWalk.h"
#include "search/FindInFilesChoices.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

// "Find in File(s)" (dialog 166). The simple form takes what to search for and where; the
// advanced form adds a walk over the folder that stops at each file whose name matches a
// wildcard pattern and can open it. The dialog ends with Find (search), Close (keep the choices)
// or Cancel (forget them).
class CFindInFilesDlg : public QDialog
{
    Q_OBJECT

public:
    enum Ending { Cancelled = 2, Find = 1, Close = 8 };

    // Opens the file found; false when it could not be opened.
    using Opener = std::function<bool(const QString &path)>;

    explicit CFindInFilesDlg(const FindInFilesChoices &choices,
                             Opener opener,
                             QWidget *parent = nullptr);

    // What the fields hold now.
    FindInFilesChoices choices() const;
    // How the dialog ended: Find, Close, or Cancelled (Cancel, Esc, the window's close box).
    Ending ending() const;

    bool isAdvanced() const { return m_advanced; }
    void setAdvanced(bool advanced);

    // Button 3: Find File, then Next File until No More.
    void findNextFile();
    // Button 4: opens the file found; closes as Close does when "Close Dialog on Open File" is on.
    void openFound();

    static inline const QString Caption = QStringLiteral("Find in File(s)");
    static inline const QString FolderCaption = QStringLiteral("Select a Starting Directory");
    static inline const QString AdvancedText = QStringLiteral("&Advanced");
    static inline const QString SimpleText = QStringLiteral(" &Simple ");

private:
    void browseFolder();
    void walkFieldChanged();
    void updateOpen();
    void updateFindFile();
    void finish(Ending ending);

    Opener m_opener;
    FileNameWalk m_walk;
    bool m_advanced = false;

    QLineEdit *m_text = nullptr;
    QComboBox *m_types = nullptr;
    QLineEdit *m_folder = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_subFolders = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_layoutSwitch = nullptr;
    QWidget *m_bottom = nullptr;
    QCheckBox *m_closeOnOpen = nullptr;
    QLineEdit *m_pattern = nullptr;
    QPushButton *m_findFile = nullptr;
    QPushButton *m_open = nullptr;
    QLineEdit *m_found = nullptr;
};
