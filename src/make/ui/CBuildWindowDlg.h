#pragma once

#include "make/BuildOutput.h"

#include <QDialog>

class BuildOutputModel;
class QLineEdit;
class QListView;
class QPushButton;

// The Build Window (dialog 154): the assembler's capture as a list of error lines with its three
// totals and the return code, Go To for the selected error, Error Info from the catalogue. The
// list is built afresh for every showing; the selection kept between showings comes in and goes
// back out through the caller (keptSelection()).
class CBuildWindowDlg : public QDialog
{
    Q_OBJECT

public:
    // output: the capture as read; returnCode: the last exit code as the Return Code box shows it
    // ("%.2Xh"); keptSelection: the row kept from the last showing, -1 for the last error.
    CBuildWindowDlg(BuildOutput output,
                    const QString &returnCode,
                    int keptSelection,
                    QWidget *parent = nullptr);

    // After Go To (the dialog was accepted): the file and 1-based line of the chosen error.
    QString fileName() const { return m_fileName; }
    int lineNumber() const { return m_lineNumber; }
    // The totals as the boxes hold them when the window closed (by either button).
    quint32 totalErrors() const { return m_totalErrors; }
    quint32 totalDiagnostics() const { return m_totalDiagnostics; }
    quint32 symbolSpaceFree() const { return m_symbolSpaceFree; }

    // The row to keep for the next showing: the one Go To was last pressed on, else the one
    // given.
    int keptSelection() const { return m_keptSelection; }

    const BuildOutput &output() const;
    int selectedRow() const;
    void selectRow(int row);

    // The buttons and the list's double-click, as the user would use them.
    void goTo();
    void closeWindow();
    void errorInfo();
    void activateRow(int row);

    // Close and Esc: the totals are read back as for Go To.
    void reject() override;

    static inline const QString Caption = QStringLiteral("Build Window");

private:
    void updateButtons();
    void readTotalsBack();

    BuildOutputModel *m_model = nullptr;
    QListView *m_list = nullptr;
    QPushButton *m_goTo = nullptr;
    QPushButton *m_errorInfo = nullptr;
    QLineEdit *m_errorsBox = nullptr;
    QLineEdit *m_diagsBox = nullptr;
    QLineEdit *m_freeBox = nullptr;
    QLineEdit *m_returnCodeBox = nullptr;

    QString m_fileName;
    int m_lineNumber = 0;
    int m_keptSelection = 0;
    quint32 m_totalErrors = 0;
    quint32 m_totalDiagnostics = 0;
    quint32 m_symbolSpaceFree = 0;
};
