#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class SettingsStore;

// Help > Tip of the Day (158), also shown at start-up when the user wants it: one hint each time,
// the next one on "Next tip...". The check box writes the start-up wish as it is clicked.
class CTipOfDayDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CTipOfDayDlg(SettingsStore &store, QWidget *parent = nullptr);

    QString tipText() const;

private:
    void showNextTip();

    SettingsStore &m_store;
    QPlainTextEdit *m_tip = nullptr;
    QCheckBox *m_atStartup = nullptr;
};
