#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

// "Go To.." (157): the kind of target (only "Line") and the number typed. "Go To" stays
// disabled while the field is empty.
class CGoToDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CGoToDlg(QWidget *parent = nullptr);

    // After OK: the row of the kind chosen (0, "Line") and the text typed.
    int chosenKind() const { return m_kind; }
    QString text() const;

private:
    void accept() override;

    QListWidget *m_kinds = nullptr;
    QLineEdit *m_number = nullptr;
    QPushButton *m_goTo = nullptr;
    int m_kind = 0;
};
