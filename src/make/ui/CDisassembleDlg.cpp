#include "make/ui/CDisassembleDlg.h"

#include "base/Prompts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDisassembleDlg::CDisassembleDlg(std::function<QString()> startFolder, QWidget *parent)
    : QDialog(parent)
    , m_startFolder(std::move(startFolder))
{
    setObjectName(QStringLiteral("CDisassembleDlg"));
    setWindowTitle(Caption);

    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("ctl_1020"));
    m_file->setMinimumWidth(320);
    auto *fileLabel = new QLabel(QStringLiteral("File:"), this);
    fileLabel->setBuddy(m_file);
    auto *browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("ctl_1021"));
    browse->setAutoDefault(false);

    m_binary = new QCheckBox(QStringLiteral(" Show &Binary"), this);
    m_binary->setObjectName(QStringLiteral("ctl_1093"));
    m_offset = new QCheckBox(QStringLiteral(" Show &Offset"), this);
    m_offset->setObjectName(QStringLiteral("ctl_1094"));
    m_origin = new QLineEdit(this);
    m_origin->setObjectName(QStringLiteral("ctl_1097"));
    m_skip = new QLineEdit(this);
    m_skip->setObjectName(QStringLiteral("ctl_1098"));
    auto *settings = new QGroupBox(QStringLiteral(" Settings "), this);
    auto *s = new QGridLayout(settings);
    s->addWidget(m_binary, 0, 0, 1, 2);
    s->addWidget(m_offset, 1, 0, 1, 2);
    auto *originLabel = new QLabel(QStringLiteral("Origin:"), this);
    originLabel->setBuddy(m_origin);
    auto *skipLabel = new QLabel(QStringLiteral("Skip:"), this);
    skipLabel->setBuddy(m_skip);
    s->addWidget(originLabel, 2, 0);
    s->addWidget(m_origin, 2, 1);
    s->addWidget(skipLabel, 3, 0);
    s->addWidget(m_skip, 3, 1);

    m_bits16 = new QRadioButton(QStringLiteral("16-Bit"), this);
    m_bits16->setObjectName(QStringLiteral("ctl_1096"));
    m_bits32 = new QRadioButton(QStringLiteral("32-Bit"), this);
    m_bits32->setObjectName(QStringLiteral("ctl_1095"));
    m_bits16->setChecked(true);
    auto *size = new QGroupBox(QStringLiteral(" Size "), this);
    auto *z = new QVBoxLayout(size);
    z->addWidget(m_bits16);
    z->addWidget(m_bits32);
    z->addStretch();

    m_ok = new QPushButton(QStringLiteral("Disassemble"), this);
    m_ok->setObjectName(QStringLiteral("ctl_1"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ctl_2"));
    cancel->setAutoDefault(false);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto *groups = new QHBoxLayout;
    groups->addWidget(settings, 1);
    groups->addWidget(size);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    connect(m_file, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_ok->setEnabled(!text.isEmpty());
    });
    connect(browse, &QPushButton::clicked, this, &CDisassembleDlg::browse);
    connect(m_ok, &QPushButton::clicked, this, &CDisassembleDlg::disassemble);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setOptions(DisassemblerOptions());
    m_file->setText(lastFile());
}

QString &CDisassembleDlg::lastFile()
{
    static QString file;
    return file;
}

void CDisassembleDlg::setOptions(const DisassemblerOptions &options)
{
    m_options = options;
    m_binary->setChecked(options.showBinary);
    m_offset->setChecked(options.showOffset);
    (options.bits32 ? m_bits32 : m_bits16)->setChecked(true);
    m_origin->setText(DisassemblerOptions::formatNumber(options.origin));
    m_skip->setText(DisassemblerOptions::formatNumber(options.skip));
}

void CDisassembleDlg::setFile(const QString &file)
{
    m_file->setText(file);
}

QString CDisassembleDlg::file() const
{
    return m_file->text();
}

void CDisassembleDlg::browse()
{
    FileDialogRequest request;
    request.filter = Prompts::filterFromClassic(DisassemblerOptions::FileFilter);
    if (!m_file->text().isEmpty())
        request.directory = m_file->text();
    else
        request.directory = m_startFolder ? m_startFolder() : QDir::currentPath();
    const QStringList chosen = Prompts::instance().openFiles(request);
    if (!chosen.isEmpty())
        m_file->setText(QFileInfo(chosen.constFirst()).absoluteFilePath());
}

void CDisassembleDlg::disassemble()
{
    if (m_file->text().isEmpty())
        return;
    m_options.origin = DisassemblerOptions::parseNumber(m_origin->text());
    m_options.skip = DisassemblerOptions::parseNumber(m_skip->text());
    m_options.showBinary = m_binary->isChecked();
    m_options.showOffset = m_offset->isChecked();
    m_options.bits32 = m_bits32->isChecked();
    lastFile() = m_file->text();
    accept();
}
