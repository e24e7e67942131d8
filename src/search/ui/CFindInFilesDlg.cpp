#include "search/ui/CFindInFilesDlg.h"

#include "base/Prompts.h"
#include "search/FileNamePattern.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(const QString &text, int id, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QStringLiteral("ctl_%1").arg(id));
    b->setAutoDefault(false);
    return b;
}

QCheckBox *checkBox(const QString &text, int id, bool checked, QWidget *parent)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(QStringLiteral("ctl_%1").arg(id));
    c->setChecked(checked);
    return c;
}

QLineEdit *lineEdit(const QString &text, int id, QWidget *parent)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(QStringLiteral("ctl_%1").arg(id));
    return e;
}

QLabel *label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

CFindInFilesDlg::CFindInFilesDlg(const FindInFilesChoices &choices, Opener opener, QWidget *parent)
    : QDialog(parent)
    , m_opener(std::move(opener))
{
    setObjectName(QStringLiteral("CFindInFilesDlg"));
    setWindowTitle(Caption);

    // The simple form.
    auto *top = new QWidget(this);
    m_text = lineEdit(choices.text, 1047, top);
    m_text->setMinimumWidth(260);
    m_types = new QComboBox(top);
    m_types->setObjectName(QStringLiteral("ctl_1084"));
    m_types->setEditable(true);
    m_types->setInsertPolicy(QComboBox::NoInsert);
    m_types->addItems(FindInFilesChoices::typeList());
    m_types->lineEdit()->setMaxLength(FindInFilesChoices::MaxTypesLength);
    m_types->setEditText(choices.types.left(FindInFilesChoices::MaxTypesLength));
    m_folder = lineEdit(choices.folder, 1055, top);
    auto *browse = button(QStringLiteral("..."), 1033, top);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    m_matchCase = checkBox(QStringLiteral("Match &Case"), 1048, choices.matchCase, top);
    m_wholeWord = checkBox(QStringLiteral("Match Whole &Word"), 1049, choices.wholeWord, top);
    m_subFolders = checkBox(QStringLiteral("Look in &Sub Folders"), 1050, choices.subFolders, top);

    m_find = button(QStringLiteral("&Find"), 1, top);
    m_find->setDefault(true);
    auto *close = button(QStringLiteral("C&lose"), 8, top);
    auto *cancel = button(QStringLiteral("&Cancel"), 2, top);
    m_layoutSwitch = button(AdvancedText, 5, top);

    auto *fields = new QGridLayout;
    fields->addWidget(label(QStringLiteral("Find What:"), m_text, top), 0, 0);
    fields->addWidget(m_text, 0, 1, 1, 2);
    fields->addWidget(label(QStringLiteral("File Types:"), m_types, top), 1, 0);
    fields->addWidget(m_types, 1, 1, 1, 2);
    fields->addWidget(label(QStringLiteral("In Path:"), m_folder, top), 2, 0);
    fields->addWidget(m_folder, 2, 1);
    fields->addWidget(browse, 2, 2);
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_matchCase);
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_subFolders);
    fields->addLayout(checks, 3, 1, 1, 2);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_find, close, cancel, m_layoutSwitch})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(fields, 1);
    topLayout->addLayout(buttons);

    // The advanced form adds the file walk below.
    m_bottom = new QWidget(this);
    auto *line = new QFrame(m_bottom);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_closeOnOpen = checkBox(QStringLiteral("Close &Dialog on Open File"),
                             1051,
                             choices.closeOnOpen,
                             m_bottom);
    m_pattern = lineEdit(choices.fileNamePattern, 1054, m_bottom);
    m_findFile = button(FileNameWalk::kFindFile, 3, m_bottom);
    m_open = button(QStringLiteral("&Open"), 4, m_bottom);
    m_found = lineEdit(QString(), 1056, m_bottom);
    m_found->setReadOnly(true);
    auto *walk = new QGridLayout(m_bottom);
    walk->setContentsMargins(0, 0, 0, 0);
    walk->addWidget(line, 0, 0, 1, 3);
    walk->addWidget(m_closeOnOpen, 1, 1);
    walk->addWidget(label(QStringLiteral("Find What:"), m_pattern, m_bottom), 2, 0);
    walk->addWidget(m_pattern, 2, 1);
    walk->addWidget(m_findFile, 2, 2);
    walk->addWidget(m_found, 3, 0, 1, 2);
    walk->addWidget(m_open, 3, 2);
    walk->setColumnStretch(1, 1);

    // The dialog keeps its width whichever form shows; its height follows the form.
    const int width = qMax(top->sizeHint().width(), m_bottom->sizeHint().width());
    top->setMinimumWidth(width);
    m_bottom->setMinimumWidth(width);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(top);
    layout->addWidget(m_bottom);

    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_find->setEnabled(!text.isEmpty());
    });
    connect(m_pattern, &QLineEdit::textChanged, this, &CFindInFilesDlg::walkFieldChanged);
    connect(m_folder, &QLineEdit::textChanged, this, &CFindInFilesDlg::walkFieldChanged);
    connect(m_matchCase, &QCheckBox::toggled, this, &CFindInFilesDlg::walkFieldChanged);
    connect(m_subFolders, &QCheckBox::toggled, this, &CFindInFilesDlg::walkFieldChanged);
    connect(m_found, &QLineEdit::textChanged, this, &CFindInFilesDlg::updateOpen);
    connect(browse, &QPushButton::clicked, this, &CFindInFilesDlg::browseFolder);
    connect(m_find, &QPushButton::clicked, this, [this] { finish(Find); });
    connect(close, &QPushButton::clicked, this, [this] { finish(Close); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(Cancelled); });
    connect(m_layoutSwitch, &QPushButton::clicked, this, [this] { setAdvanced(!m_advanced); });
    connect(m_findFile, &QPushButton::clicked, this, &CFindInFilesDlg::findNextFile);
    connect(m_open, &QPushButton::clicked, this, &CFindInFilesDlg::openFound);

    m_find->setEnabled(!m_text->text().isEmpty());
    m_advanced = choices.advanced;
    walkFieldChanged();
    setAdvanced(choices.advanced);
}

FindInFilesChoices CFindInFilesDlg::choices() const
{
    FindInFilesChoices c;
    c.text = m_text->text();
    c.types = m_types->currentText();
    c.folder = m_folder->text();
    c.fileNamePattern = m_pattern->text();
    c.matchCase = m_matchCase->isChecked();
    c.wholeWord = m_wholeWord->isChecked();
    c.subFolders = m_subFolders->isChecked();
    c.closeOnOpen = m_closeOnOpen->isChecked();
    c.advanced = m_advanced;
    return c;
}

CFindInFilesDlg::Ending CFindInFilesDlg::ending() const
{
    if (result() == Find || result() == Close)
        return Ending(result());
    return Cancelled;
}

void CFindInFilesDlg::setAdvanced(bool advanced)
{
    m_advanced = advanced;
    m_bottom->setVisible(advanced);
    m_pattern->setEnabled(advanced);
    m_layoutSwitch->setText(advanced ? SimpleText : AdvancedText);
    // Switching to the advanced form makes its buttons usable at once, not only after an edit.
    updateFindFile();
    updateOpen();
}

void CFindInFilesDlg::walkFieldChanged()
{
    m_walk.restart();
    m_findFile->setText(FileNameWalk::kFindFile);
    updateFindFile();
    m_found->clear();
}

void CFindInFilesDlg::updateFindFile()
{
    // " No More " stays off until a field changes and the walk starts again.
    m_findFile->setEnabled(m_advanced && !m_pattern->text().isEmpty()
                           && m_findFile->text() != FileNameWalk::kNoMore);
}

void CFindInFilesDlg::updateOpen()
{
    m_open->setEnabled(m_advanced && !m_found->text().isEmpty());
}

void CFindInFilesDlg::browseFolder()
{
    const QString chosen = Prompts::instance().folder(FolderCaption,
                                                      m_folder->text().left(
                                                          FindInFilesChoices::MaxFolderLength));
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

void CFindInFilesDlg::findNextFile()
{
    QString folder = m_folder->text();
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    const QString pattern = m_pattern->text();
    if (FileNamePattern::containsPath(pattern)) {
        showMessage(FileNamePattern::kPatternHasPath);
        return;
    }
    const QString found = m_walk.next(folder,
                                      pattern,
                                      m_subFolders->isChecked(),
                                      m_matchCase->isChecked());
    if (found.isEmpty()) {
        m_findFile->setText(FileNameWalk::kNoMore);
        m_findFile->setEnabled(false);
        m_found->setText(FileNameWalk::kNoMoreFiles);
        m_open->setEnabled(false);
        return;
    }
    m_findFile->setText(FileNameWalk::kNextFile);
    m_found->setText(found);
    m_found->setCursorPosition(int(found.size())); // the file's name is what matters
}

void CFindInFilesDlg::openFound()
{
    const QString path = m_found->text();
    if (path.isEmpty() || !m_opener)
        return;
    // A file that did not open (the opener said why) leaves the dialog up to try another.
    if (m_opener(path) && m_closeOnOpen->isChecked())
        finish(Close);
}

void CFindInFilesDlg::finish(Ending ending)
{
    m_walk.close();
    done(ending);
}
