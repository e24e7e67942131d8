#include "options/ui/CEditorPropsSheet.h"

#include "frame/ui/OkCancelButtons.h"
#include "options/ui/CEdOpt1.h"
#include "options/ui/CEdOpt2.h"
#include "options/ui/CEdOpt3.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CEditorPropsSheet::CEditorPropsSheet(SettingsStore &store, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("CEditorPropsSheet"));
    setWindowTitle(QStringLiteral("Editor Properties"));

    SyntaxColours colours;
    colours.load(store);
    m_colors = new CEdOpt1(colours);
    m_attributes = new CEdOpt2(EditorAttributes::load(store));
    m_document = new CEdOpt3(StartupDocumentChoice::load(store));

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_colors, QStringLiteral("Colors"));
    m_tabs->addTab(m_attributes, QStringLiteral("Attributes"));
    m_tabs->addTab(m_document, QStringLiteral("Document"));
    m_shown[Colors] = true;
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < int(m_shown.size()))
            m_shown[size_t(index)] = true;
    });

    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

const SyntaxColours &CEditorPropsSheet::colours() const
{
    return m_colors->colours();
}

void CEditorPropsSheet::accept()
{
    if (m_shown[Colors])
        m_colors->save(m_store);
    if (m_shown[Attributes])
        m_attributes->save(m_store);
    if (m_shown[Document])
        m_document->save(m_store);
    QDialog::accept();
}
