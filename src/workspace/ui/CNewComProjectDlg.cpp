#include "workspace/ui/CNewComProjectDlg.h"

#include "base/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QCheckBox *checkBox(const QString &text, int id, bool checked)
{
    auto *box = new QCheckBox(text);
    box->setObjectName(QStringLiteral("ctl_%1").arg(id));
    box->setChecked(checked);
    return box;
}

} // namespace

CNewComProjectDlg::CNewComProjectDlg(const ProjectWizardOptions &options, QWidget *parent)
    : QDialog(parent)
    , m_cpu(checkBox(QStringLiteral(" Lowest &CPU"), 1015, options.cpu))
    , m_cpuDirective(new QComboBox)
    , m_stack(checkBox(QStringLiteral(" &stack size (bytes)"), 1013, options.stack))
    , m_stackSize(new QLineEdit(QString::number(options.stackSize)))
    , m_start(checkBox(QStringLiteral(" use &.start directive"), 1012, options.start))
    , m_standardIncludes(checkBox(QStringLiteral(" Stan&dard"), 1017, options.standardIncludes))
    , m_extendedIncludes(checkBox(QStringLiteral(" E&xtended"), 1018, options.extendedIncludes))
    , m_readme(checkBox(QStringLiteral(" Create &Readme.txt"), 1019, options.readme))
{
    setObjectName(QStringLiteral("CNewComProjectDlg"));
    setWindowTitle(QStringLiteral("New .COM project"));

    m_cpuDirective->setObjectName(QStringLiteral("ctl_1016"));
    m_cpuDirective->setEditable(true);
    m_cpuDirective->setInsertPolicy(QComboBox::NoInsert);
    m_cpuDirective->addItems(ProjectWizardOptions::cpuDirectives());
    m_cpuDirective->setEditText(options.cpuDirective);

    m_stackSize->setObjectName(QStringLiteral("ctl_1014"));
    // Digits only, as a number edit takes them; the range is checked on Create with its message.
    m_stackSize->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")),
                                        m_stackSize));
    m_stackSize->setMaximumWidth(80);
    connect(m_stack, &QCheckBox::toggled, this, &CNewComProjectDlg::followStackBox);
    followStackBox();

    auto *init = new QGroupBox(QStringLiteral("Initialization options"));
    auto *grid = new QGridLayout(init);
    grid->addWidget(m_cpu, 0, 0);
    grid->addWidget(m_cpuDirective, 0, 1);
    grid->addWidget(m_stack, 1, 0);
    grid->addWidget(m_stackSize, 1, 1);
    grid->addWidget(m_start, 2, 0, 1, 2);

    auto *includes = new QGroupBox(QStringLiteral("Includes"));
    auto *includeRow = new QHBoxLayout(includes);
    includeRow->addWidget(m_standardIncludes);
    includeRow->addWidget(m_extendedIncludes);

    auto *misc = new QGroupBox(QStringLiteral("Misc Files"));
    auto *miscRow = new QHBoxLayout(misc);
    miscRow->addWidget(m_readme);

    auto *create = new QPushButton(QStringLiteral("Crea&te"));
    create->setObjectName(QStringLiteral("ctl_1"));
    create->setDefault(true);
    connect(create, &QPushButton::clicked, this, &CNewComProjectDlg::accept);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("ctl_2"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(create);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(init);
    layout->addWidget(includes);
    layout->addWidget(misc);
    layout->addLayout(buttons);
}

void CNewComProjectDlg::followStackBox()
{
    m_stackSize->setReadOnly(!m_stack->isChecked());
}

ProjectWizardOptions CNewComProjectDlg::options() const
{
    ProjectWizardOptions o;
    o.cpu = m_cpu->isChecked();
    o.cpuDirective = m_cpuDirective->currentText();
    o.extendedIncludes = m_extendedIncludes->isChecked();
    o.stack = m_stack->isChecked();
    o.stackSize = m_stackSize->text().toInt();
    o.start = m_start->isChecked();
    o.standardIncludes = m_standardIncludes->isChecked();
    o.readme = m_readme->isChecked();
    return o;
}

QString CNewComProjectDlg::stackSizeMessage()
{
    return QStringLiteral("Please enter an integer between %1 and %2.")
        .arg(ProjectWizardOptions::MinStackSize)
        .arg(ProjectWizardOptions::MaxStackSize);
}

void CNewComProjectDlg::accept()
{
    bool isNumber = false;
    const int size = m_stackSize->text().toInt(&isNumber);
    if (!isNumber || !ProjectWizardOptions::isValidStackSize(size)) {
        showMessage(stackSizeMessage(), PromptIcon::Exclamation);
        m_stackSize->setFocus();
        m_stackSize->selectAll();
        return;
    }
    QDialog::accept();
}
