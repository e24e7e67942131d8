#pragma once

#include "make/DisassemblerOptions.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Tools > Disassemble File (dialog 198 "Disassemble File"): the binary to read and how to show
// it. "Disassemble" is enabled while a file is named; it reads the origin and skip fields by
// their own rule (hex after "0x", else decimal) and closes the dialog. The file disassembled
// last comes back the next time; "..." starts beside it, else where startFolder says (the
// documents' dialog folder; the working folder without one).
class CDisassembleDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CDisassembleDlg(std::function<QString()> startFolder = {}, QWidget *parent = nullptr);

    void setOptions(const DisassemblerOptions &options);
    // The options as read by "Disassemble".
    DisassemblerOptions options() const { return m_options; }
    void setFile(const QString &file);
    QString file() const;

    // The "Disassemble" button.
    void disassemble();

    static inline const QString Caption = QStringLiteral("Disassemble File");

private:
    void browse();
    // The file of the last "Disassemble" in this run.
    static QString &lastFile();

    QLineEdit *m_file = nullptr;
    QCheckBox *m_binary = nullptr;
    QCheckBox *m_offset = nullptr;
    QRadioButton *m_bits16 = nullptr;
    QRadioButton *m_bits32 = nullptr;
    QLineEdit *m_origin = nullptr;
    QLineEdit *m_skip = nullptr;
    QPushButton *m_ok = nullptr;
    DisassemblerOptions m_options;
    std::function<QString()> m_startFolder;
};
