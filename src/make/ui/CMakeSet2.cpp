#include "make/ui/CMakeSet2.h"

#include "make/AssemblerOptions.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QString storedForm(QString text)
{
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

} // namespace

CMakeSet2::CMakeSet2(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CMakeSet2"));
    auto *note
        = new QLabel(QStringLiteral(
                         " - Post-build commands -\n"
                         "List one command per line. Each command runs on its own, independently "
                         "of the next, so a command that changes the directory has no effect on "
                         "the next command."),
                     this);
    note->setWordWrap(true);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("ctl_1101"));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_edit, 1);
    connect(m_edit, &QPlainTextEdit::textChanged, this, &CMakeSet2::keepWithinField);
    setWorkspaceOpen(false);
}

void CMakeSet2::setPostBuild(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_edit->setPlainText(plain);
}

QString CMakeSet2::postBuild() const
{
    return m_edit->toPlainText();
}

void CMakeSet2::setWorkspaceOpen(bool open)
{
    m_edit->setEnabled(open);
}

void CMakeSet2::keepWithinField()
{
    if (m_cutting)
        return;
    const QString text = m_edit->toPlainText();
    const QString stored = storedForm(text);
    const QString kept = AssemblerOptions::cutPostBuild(stored);
    if (kept == stored)
        return;
    // Typing or pasting past the field's end: keep what fits, as a limited edit would.
    m_cutting = true;
    QString plain = kept;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (plain.endsWith(QLatin1Char('\r')))
        plain.chop(1);
    QTextCursor cursor = m_edit->textCursor();
    const int position = qMin(cursor.position(), int(plain.size()));
    m_edit->setPlainText(plain);
    cursor = m_edit->textCursor();
    cursor.setPosition(position);
    m_edit->setTextCursor(cursor);
    m_cutting = false;
}
