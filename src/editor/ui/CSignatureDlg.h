#pragma once

#include <QDialog>

class QPlainTextEdit;

// "Insert Signature" (dialog 173): the signature to insert, at most 2000 characters, several
// lines allowed.
class CSignatureDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 2000;

    explicit CSignatureDlg(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

private:
    QPlainTextEdit *m_edit;
};
