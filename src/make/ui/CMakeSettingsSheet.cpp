#include "make/ui/CMakeSettingsSheet.h"

#include "frame/ui/OkCancelButtons.h"
#include "make/AssemblerOptions.h"
#include "make/MakeSettings.h"
#include "make/ui/CMakeSet1.h"
#include "make/ui/CMakeSet2.h"
#include "workspace/WorkspaceRecord.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CMakeSettingsSheet::CMakeSettingsSheet(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CMakeSettingsSheet"));
    setWindowTitle(Caption);
    m_tabs = new QTabWidget(this);
    m_page1 = new CMakeSet1(m_tabs);
    m_page2 = new CMakeSet2(m_tabs);
    m_tabs->addTab(m_page1, CMakeSet1::Title);
    m_tabs->addTab(m_page2, CMakeSet2::Title);

    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void CMakeSettingsSheet::load()
{
    m_page1->setPaths(MakeSettings::loadPaths());
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    const bool open = record.isOpen();
    m_page1->setWorkspaceOpen(open);
    m_page2->setWorkspaceOpen(open);
    if (open) {
        const AssemblerOptions options = AssemblerOptions::fromRecord(record);
        m_page1->setOptions(options, options.bootDriveB ? 1 : 0);
        m_page2->setPostBuild(options.postBuild);
    }
}

void CMakeSettingsSheet::store() const
{
    MakeSettings::savePaths(m_page1->paths());
    AssemblerOptions options = m_page1->options();
    options.postBuild = m_page2->postBuild();
    options.storeInto(WorkspaceRecord::instance());
}

bool CMakeSettingsSheet::run(QWidget *parent)
{
    CMakeSettingsSheet sheet(parent);
    sheet.load();
    if (sheet.exec() != QDialog::Accepted)
        return false;
    sheet.store();
    return true;
}
