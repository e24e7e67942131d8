#pragma once

#include "make/AssemblerOptions.h"
#include "make/MakeSettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

// "Paths and Parameters" (page 135 of the Make Settings sheet): the tool paths, kept in the
// settings store, and the open workspace's assembler options. Without a workspace every option
// control is disabled and only the paths can be changed. "Alphabitize segments" and "Use .jumps"
// are never enabled: their stored values show and still become switches.
class CMakeSet1 : public QWidget
{
    Q_OBJECT

public:
    explicit CMakeSet1(QWidget *parent = nullptr);

    void setPaths(const ToolPaths &paths);
    ToolPaths paths() const;
    // The options as the page shows them; the drive combo starts with nothing chosen.
    void setOptions(const AssemblerOptions &options, int driveIndex);
    // Every flag as checked, the drive flag set exactly when "B:" is chosen, the include path.
    AssemblerOptions options() const;
    int driveIndex() const;

    void setWorkspaceOpen(bool open);

    static inline const QString Title = QStringLiteral("Paths and Parameters");
    static inline const QString ToolFilter = QStringLiteral(
        "All Files (*.*)|*.*|EXE files (.exe)|*.exe|COM files (.com)|*.com||");
    static inline const QString FolderCaption = QStringLiteral("Select a Starting Directory");

private:
    void updateEnabling();

    QLineEdit *m_assembler = nullptr;
    QLineEdit *m_disassembler = nullptr;
    QLineEdit *m_includeFolder = nullptr;
    QLineEdit *m_libraryFolder = nullptr;
    QLineEdit *m_linker = nullptr; // 1023, browse 1024

    QCheckBox *m_beep = nullptr;           // 1009
    QCheckBox *m_createListing = nullptr;  // 1008
    QCheckBox *m_optimizer = nullptr;      // 1007
    QCheckBox *m_validateBoot = nullptr;   // 1016
    QComboBox *m_drive = nullptr;          // 1063
    QCheckBox *m_useIncludePath = nullptr; // 1012
    QLineEdit *m_includePath = nullptr;    // 1062
    QCheckBox *m_useJumps = nullptr;       // 1013, never enabled
    QCheckBox *m_alphabetize = nullptr;    // 1010, never enabled
    QCheckBox *m_noDiagnostics = nullptr;  // 1011
    QCheckBox *m_openListing = nullptr;    // 1019
    QCheckBox *m_pageBreaks = nullptr;     // 1022
    bool m_workspaceOpen = false;
};
