#include "workspace/ui/CCreateNewLocationDlg.h"

#include "base/Prompts.h"
#include "workspace/WorkspaceRecord.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *makeEdit(const char *id)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QLatin1String(id));
    return edit;
}

} // namespace

CCreateNewLocationDlg::CCreateNewLocationDlg(const Setup &setup, QWidget *parent)
    : QDialog(parent)
    , m_setup(setup)
{
    setObjectName(QStringLiteral("CCreateNewLocationDlg"));
    setWindowTitle(QStringLiteral("Create New ..."));
    if (m_setup.currentFolder.isEmpty())
        m_setup.currentFolder = QDir::currentPath();

    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("ctl_1008"));
    m_source = makeEdit("ctl_1009");
    m_locationEdit = makeEdit("ctl_1010");
    m_browse = new QPushButton(QStringLiteral("&Browse"));
    m_browse->setObjectName(QStringLiteral("ctl_1011"));
    m_target = makeEdit("ctl_1012");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("ctl_1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ctl_2"));

    auto *layout = new QVBoxLayout(this);
    auto *listLabel = new QLabel(QStringLiteral("Create &New:"));
    listLabel->setBuddy(m_list);
    layout->addWidget(listLabel);
    layout->addWidget(m_list);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Source Filename:"), m_source);
    auto *locationRow = new QHBoxLayout;
    locationRow->addWidget(m_locationEdit, 1);
    locationRow->addWidget(m_browse);
    // A row around a layout gets a label without a buddy, which would show the "&" itself.
    auto *locationLabel = new QLabel(QStringLiteral("Lo&cation:"));
    locationLabel->setBuddy(m_locationEdit);
    form->addRow(locationLabel, locationRow);
    form->addRow(QStringLiteral("&Target FileName"), m_target);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CCreateNewLocationDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &CCreateNewLocationDlg::browse);
    // Only the user's own edits count as touching the location; the name step's do not.
    connect(m_locationEdit, &QLineEdit::textEdited, this, [this] { m_locationTouched = true; });
    m_locationEdit->installEventFilter(this);

    m_list->addItems(CreateNewRules::listItems(m_setup.mode, m_setup.entryPaths));
    switch (m_setup.mode) {
    case Mode::File:
        m_target->setEnabled(false);
        m_baseFolder = CreateNewRules::baseFolder(Mode::File,
                                                  m_setup.mainFile,
                                                  m_setup.currentFolder);
        break;
    case Mode::Project:
        m_baseFolder = CreateNewRules::baseFolder(Mode::Project, QString(), m_setup.currentFolder);
        break;
    case Mode::List:
        for (QWidget *w : {static_cast<QWidget *>(m_source),
                           static_cast<QWidget *>(m_locationEdit),
                           static_cast<QWidget *>(m_browse),
                           static_cast<QWidget *>(m_target)}) {
            w->setEnabled(false);
        }
        m_baseFolder = CreateNewRules::baseFolder(Mode::List, QString(), m_setup.currentFolder);
        // Long paths scroll sideways rather than being cut.
        m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_list->setMinimumWidth(480);
        break;
    }
    m_locationEdit->setText(m_baseFolder);
    m_locationTouched = false;
    m_list->setCurrentRow(0);
    if (m_setup.mode != Mode::List) {
        connect(m_source, &QLineEdit::textChanged, this, &CCreateNewLocationDlg::nameStep);
        nameStep();
        m_source->setFocus();
    } else {
        m_list->setFocus();
    }
}

CCreateNewLocationDlg::Setup CCreateNewLocationDlg::newWorkspaceSetup()
{
    Setup s;
    s.mode = Mode::Project;
    s.followName = true;
    return s;
}

CCreateNewLocationDlg::Setup CCreateNewLocationDlg::newFileSetup()
{
    Setup s;
    s.mode = Mode::File;
    s.mainFile = WorkspaceRecord::instance().mainFile();
    return s;
}

CCreateNewLocationDlg::Setup CCreateNewLocationDlg::removeFileSetup()
{
    Setup s;
    s.mode = Mode::List;
    s.entryPaths = WorkspaceRecord::instance().entryPaths();
    return s;
}

void CCreateNewLocationDlg::nameStep()
{
    const CreateNewRules::NameStep step = CreateNewRules::nameStep(m_source->text(),
                                                                   m_baseFolder,
                                                                   m_locationTouched,
                                                                   m_setup.followName);
    if (step.replaceLocation)
        m_locationEdit->setText(step.location);
    m_ok->setEnabled(step.okEnabled);
}

bool CCreateNewLocationDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_locationEdit && event->type() == QEvent::FocusIn)
        m_locationTouched = true;
    return QDialog::eventFilter(watched, event);
}

void CCreateNewLocationDlg::browse()
{
    const QString chosen = Prompts::instance().folder(QStringLiteral("Select a Starting Directory"),
                                                      m_locationEdit->text());
    if (chosen.isEmpty())
        return;
    m_locationEdit->setText(chosen);
    m_locationTouched = true;
}

void CCreateNewLocationDlg::accept()
{
    const bool touchedBefore = m_locationTouched;
    m_locationTouched = true;

    CreateNewRules::Input in;
    in.mode = m_setup.mode;
    in.chosenIndex = qMax(0, m_list->currentRow());
    in.chosenItemText = m_list->currentItem() ? m_list->currentItem()->text() : QString();
    in.sourceName = m_source->text();
    in.targetName = m_target->text();
    in.location = m_locationEdit->text();
    in.currentFolder = m_setup.currentFolder;
    const CreateNewRules::Outcome out = CreateNewRules::accept(in);

    if (m_setup.mode != Mode::List) {
        const QSignalBlocker block(m_source);
        m_source->setText(out.sourceName);
        m_target->setText(out.targetName);
    }
    using Action = CreateNewRules::Outcome::Action;
    switch (out.action) {
    case Action::InvalidSource:
    case Action::InvalidTarget:
        showMessage(out.message);
        (out.action == Action::InvalidSource ? m_source : m_target)->setFocus();
        m_locationTouched = touchedBefore;
        return;
    case Action::AskCreateFolder:
        if (Prompts::instance().message(out.message, PromptButtons::YesNo, PromptIcon::Question)
            != PromptAnswer::Yes) {
            m_locationTouched = touchedBefore;
            return;
        }
        CreateNewRules::createFolder(out.folderToCreate);
        break;
    case Action::Accept:
        break;
    }
    m_chosenIndex = out.chosenIndex;
    m_sourceName = out.sourceName;
    m_targetName = out.targetName;
    m_location = out.location;
    m_locationEdit->setText(m_location);
    QDialog::accept();
}
