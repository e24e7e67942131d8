#include "make/ui/CMakeSet1.h"

#include "base/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString ctl(int id)
{
    return QStringLiteral("ctl_%1").arg(id);
}

} // namespace

CMakeSet1::CMakeSet1(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CMakeSet1"));

    auto *paths = new QGridLayout;
    auto *pathsBox = new QWidget(this);
    pathsBox->setLayout(paths);
    const auto row = [&](int editId, int buttonId, const QString &label, bool folder, int r) {
        auto *l = new QLabel(label, this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(ctl(editId));
        l->setBuddy(edit);
        auto *browse = new QPushButton(QStringLiteral("..."), this);
        browse->setObjectName(ctl(buttonId));
        browse->setAutoDefault(false);
        browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...."))
                                + 16);
        paths->addWidget(l, r, 0);
        paths->addWidget(edit, r, 1);
        paths->addWidget(browse, r, 2);
        connect(browse, &QPushButton::clicked, this, [this, edit, folder] {
            if (folder) {
                const QString chosen = Prompts::instance().folder(FolderCaption, edit->text());
                if (!chosen.isEmpty())
                    edit->setText(chosen);
                return;
            }
            FileDialogRequest request;
            request.filter = Prompts::filterFromClassic(ToolFilter);
            request.directory = edit->text();
            const QStringList chosen = Prompts::instance().openFiles(request);
            if (!chosen.isEmpty())
                edit->setText(QFileInfo(chosen.constFirst()).absoluteFilePath());
        });
        return edit;
    };
    m_assembler = row(1005, 1006, QStringLiteral("Assembler"), false, 0);
    m_disassembler = row(1020, 1021, QStringLiteral("Disassembler"), false, 1);
    // The linker's row takes ids the page had left free, next to the tools' own.
    m_linker = row(1023, 1024, QStringLiteral("Linker"), false, 2);
    m_includeFolder = row(1014, 1015, QStringLiteral("Include Path"), true, 3);
    m_libraryFolder = row(1017, 1018, QStringLiteral("Library Path"), true, 4);

    const auto check = [this](int id, const QString &text) {
        auto *box = new QCheckBox(text, this);
        box->setObjectName(ctl(id));
        return box;
    };
    m_beep = check(1009, QStringLiteral(" &Beep if error"));
    m_createListing = check(1008, QStringLiteral(" &Create Listing"));
    m_optimizer = check(1007, QStringLiteral(" Use &optimizer"));
    m_validateBoot = check(1016, QStringLiteral(" &Validate Bootsector and write to drive:"));
    m_useIncludePath = check(1012, QStringLiteral(" Use &Include Path: "));
    m_useJumps = check(1013, QStringLiteral(" Use .jumps"));
    m_alphabetize = check(1010, QStringLiteral(" &Alphabitize segments"));
    m_noDiagnostics = check(1011, QStringLiteral(" No &Diagnostic Errors"));
    m_openListing = check(1019, QStringLiteral("Open Listing file"));
    m_pageBreaks = check(1022, QStringLiteral("With Page Breaks"));
    // Made disabled and left so: these two options are not offered for change here.
    m_useJumps->setEnabled(false);
    m_alphabetize->setEnabled(false);

    m_drive = new QComboBox(this);
    m_drive->setObjectName(ctl(1063));
    m_drive->addItems({QStringLiteral("A:"), QStringLiteral("B:")});
    m_drive->setCurrentIndex(-1);
    m_includePath = new QLineEdit(this);
    m_includePath->setObjectName(ctl(1062));
    // What the workspace's field holds; longer text would be cut when stored anyway.
    m_includePath->setMaxLength(AssemblerOptions::IncludePathMaxBytes);

    auto *group = new QGroupBox(QStringLiteral(" Assembler Settings "), this);
    auto *g = new QGridLayout(group);
    g->addWidget(m_beep, 0, 0);
    g->addWidget(m_noDiagnostics, 0, 1);
    g->addWidget(m_optimizer, 1, 0);
    g->addWidget(m_alphabetize, 1, 1);
    g->addWidget(m_useJumps, 2, 0);
    g->addWidget(m_createListing, 3, 0);
    auto *listing = new QHBoxLayout;
    listing->addSpacing(20);
    listing->addWidget(m_openListing);
    listing->addWidget(m_pageBreaks);
    listing->addStretch();
    g->addLayout(listing, 4, 0, 1, 2);
    auto *boot = new QHBoxLayout;
    boot->addWidget(m_validateBoot);
    boot->addWidget(m_drive);
    boot->addStretch();
    g->addLayout(boot, 5, 0, 1, 2);
    auto *include = new QHBoxLayout;
    include->addWidget(m_useIncludePath);
    include->addWidget(m_includePath, 1);
    g->addLayout(include, 6, 0, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pathsBox);
    layout->addWidget(group);
    layout->addStretch();

    connect(m_useIncludePath, &QCheckBox::clicked, this, &CMakeSet1::updateEnabling);
    connect(m_validateBoot, &QCheckBox::clicked, this, &CMakeSet1::updateEnabling);
    connect(m_createListing, &QCheckBox::clicked, this, &CMakeSet1::updateEnabling);
    updateEnabling();
}

void CMakeSet1::setPaths(const ToolPaths &paths)
{
    m_assembler->setText(paths.assembler);
    m_disassembler->setText(paths.disassembler);
    m_includeFolder->setText(paths.includePath);
    m_libraryFolder->setText(paths.libraryPath);
    m_linker->setText(paths.linker);
}

ToolPaths CMakeSet1::paths() const
{
    ToolPaths p;
    p.assembler = m_assembler->text();
    p.disassembler = m_disassembler->text();
    p.includePath = m_includeFolder->text();
    p.libraryPath = m_libraryFolder->text();
    p.linker = m_linker->text();
    return p;
}

void CMakeSet1::setOptions(const AssemblerOptions &o, int driveIndex)
{
    m_alphabetize->setChecked(o.alphabetizeSegments);
    m_beep->setChecked(o.beepIfError);
    m_validateBoot->setChecked(o.validateBootSector);
    m_noDiagnostics->setChecked(o.noDiagnostics);
    m_useIncludePath->setChecked(o.useIncludePath);
    m_includePath->setText(o.includePath);
    m_useJumps->setChecked(o.useJumps);
    m_createListing->setChecked(o.createListing);
    m_pageBreaks->setChecked(o.listingPageBreaks);
    m_openListing->setChecked(o.openListingFile);
    m_optimizer->setChecked(o.useOptimizer);
    m_drive->setCurrentIndex(driveIndex >= 0 && driveIndex < m_drive->count() ? driveIndex : -1);
    updateEnabling();
}

AssemblerOptions CMakeSet1::options() const
{
    AssemblerOptions o;
    o.alphabetizeSegments = m_alphabetize->isChecked();
    o.beepIfError = m_beep->isChecked();
    o.validateBootSector = m_validateBoot->isChecked();
    o.bootDriveB = AssemblerOptions::bootDriveBFromComboIndex(m_drive->currentIndex());
    o.noDiagnostics = m_noDiagnostics->isChecked();
    o.useIncludePath = m_useIncludePath->isChecked();
    o.includePath = m_includePath->text();
    o.useJumps = m_useJumps->isChecked();
    o.createListing = m_createListing->isChecked();
    o.listingPageBreaks = m_pageBreaks->isChecked();
    o.openListingFile = m_openListing->isChecked();
    o.useOptimizer = m_optimizer->isChecked();
    return o;
}

int CMakeSet1::driveIndex() const
{
    return m_drive->currentIndex();
}

void CMakeSet1::setWorkspaceOpen(bool open)
{
    m_workspaceOpen = open;
    updateEnabling();
}

void CMakeSet1::updateEnabling()
{
    const bool ws = m_workspaceOpen;
    for (QWidget *w : {static_cast<QWidget *>(m_beep),
                       static_cast<QWidget *>(m_createListing),
                       static_cast<QWidget *>(m_optimizer),
                       static_cast<QWidget *>(m_validateBoot),
                       static_cast<QWidget *>(m_useIncludePath),
                       static_cast<QWidget *>(m_includePath),
                       static_cast<QWidget *>(m_noDiagnostics)}) {
        w->setEnabled(ws);
    }
    m_drive->setEnabled(ws && m_validateBoot->isChecked());
    m_includePath->setReadOnly(!m_useIncludePath->isChecked());
    m_openListing->setEnabled(ws && m_createListing->isChecked());
    m_pageBreaks->setEnabled(ws && m_createListing->isChecked());
}
