#include "editor/ui/CSignatureDlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSignatureDlg::CSignatureDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CSignatureDlg"));
    setWindowTitle(QStringLiteral("Insert Signature"));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Insert:"));
    auto *groupLayout = new QVBoxLayout(group);
    m_edit = new QPlainTextEdit;
    m_edit->setObjectName(QStringLiteral("ctl_1075"));
    m_edit->setTabChangesFocus(true);
    groupLayout->addWidget(m_edit);
    layout->addWidget(group);
    auto *hint = new QLabel(QStringLiteral("Hint:  When using the menu item or toolbar\n"
                                           "       button, hold down the shift key to\n"
                                           "       skip this dialog box."));
    layout->addWidget(hint);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ctl_1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ctl_2"));
    // Enter makes a new line in the signature; the dialog closes with its buttons.
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Ok)->setDefault(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The edit box holds at most MaxLength characters, as typed or pasted.
    connect(m_edit, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = m_edit->toPlainText();
        if (text.size() <= MaxLength)
            return;
        QTextCursor cursor(m_edit->document());
        cursor.setPosition(MaxLength);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    });
    m_edit->setFocus();
}

QString CSignatureDlg::text() const
{
    return m_edit->toPlainText();
}

void CSignatureDlg::setText(const QString &text)
{
    m_edit->setPlainText(text.left(MaxLength));
    m_edit->selectAll();
}
