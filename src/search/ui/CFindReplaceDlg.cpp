#include "search/ui/CFindReplaceDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString controlName(int id)
{
    return QStringLiteral("ctl_%1").arg(id);
}

} // namespace

CFindReplaceDlg::CFindReplaceDlg(Form form, const Choices &initial, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("CFindReplaceDlg"));
    setModal(false);

    auto *fields = new QGridLayout;
    auto *findLabel = new QLabel(QStringLiteral("Fi&nd what:"));
    m_findWhat = new QLineEdit(initial.findText);
    m_findWhat->setObjectName(controlName(FindWhatEdit));
    findLabel->setBuddy(m_findWhat);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_findWhat, 0, 1);
    m_replaceLabel = new QLabel(QStringLiteral("Re&place with:"));
    m_replaceWith = new QLineEdit(initial.replaceText);
    m_replaceWith->setObjectName(controlName(ReplaceWithEdit));
    m_replaceLabel->setBuddy(m_replaceWith);
    fields->addWidget(m_replaceLabel, 1, 0);
    fields->addWidget(m_replaceWith, 1, 1);

    m_wholeWord = new QCheckBox(QStringLiteral("Match &whole word only"));
    m_wholeWord->setObjectName(controlName(WholeWordBox));
    m_wholeWord->setChecked(initial.wholeWord);
    m_matchCase = new QCheckBox(QStringLiteral("Match &case"));
    m_matchCase->setObjectName(controlName(MatchCaseBox));
    m_matchCase->setChecked(initial.matchCase);
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);

    m_direction = new QGroupBox(QStringLiteral("Direction"));
    m_up = new QRadioButton(QStringLiteral("&Up"));
    m_up->setObjectName(controlName(UpButton));
    m_down = new QRadioButton(QStringLiteral("&Down"));
    m_down->setObjectName(controlName(DownButton));
    (initial.down ? m_down : m_up)->setChecked(true);
    auto *directionLayout = new QHBoxLayout(m_direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto *options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(m_direction);

    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    m_findNext = new QPushButton(QStringLiteral("&Find Next"));
    m_findNext->setObjectName(controlName(FindNextButton));
    m_findNext->setDefault(true);
    m_replace = new QPushButton(QStringLiteral("&Replace"));
    m_replace->setObjectName(controlName(ReplaceButton));
    m_replaceAll = new QPushButton(QStringLiteral("Replace &All"));
    m_replaceAll->setObjectName(controlName(ReplaceAllButton));
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(controlName(CloseButton));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_replace);
    buttons->addWidget(m_replaceAll);
    buttons->addWidget(close);
    buttons->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    connect(m_findNext, &QPushButton::clicked, this, &CFindReplaceDlg::findNextRequested);
    connect(m_replace, &QPushButton::clicked, this, &CFindReplaceDlg::replaceRequested);
    connect(m_replaceAll, &QPushButton::clicked, this, &CFindReplaceDlg::replaceAllRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_findWhat, &QLineEdit::textChanged, this, &CFindReplaceDlg::updateButtons);

    setForm(form);
    m_findWhat->selectAll();
    m_findWhat->setFocus();
}

void CFindReplaceDlg::setForm(Form form)
{
    m_form = form;
    const bool replacing = form == Form::Replace;
    setWindowTitle(replacing ? QStringLiteral("Replace") : QStringLiteral("Find"));
    m_replaceLabel->setVisible(replacing);
    m_replaceWith->setVisible(replacing);
    m_replace->setVisible(replacing);
    m_replaceAll->setVisible(replacing);
    // Replacing always runs down; the choice is kept for the next Find.
    m_direction->setVisible(!replacing);
    updateButtons();
    adjustSize();
}

CFindReplaceDlg::Choices CFindReplaceDlg::choices() const
{
    return {m_findWhat->text(),
            m_replaceWith->text(),
            m_matchCase->isChecked(),
            m_wholeWord->isChecked(),
            m_down->isChecked()};
}

void CFindReplaceDlg::setFindText(const QString &text)
{
    m_findWhat->setText(text);
    m_findWhat->selectAll();
    m_findWhat->setFocus();
}

void CFindReplaceDlg::updateButtons()
{
    // Nothing to look for: nothing to search or replace.
    const bool hasText = !m_findWhat->text().isEmpty();
    m_findNext->setEnabled(hasText);
    m_replace->setEnabled(hasText);
    m_replaceAll->setEnabled(hasText);
}
