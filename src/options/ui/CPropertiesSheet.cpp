#include "options/ui/CPropertiesSheet.h"

#include "base/Prompts.h"
#include "editor/CQvasmDoc.h"
#include "editor/EditorSettings.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/OkCancelButtons.h"
#include "options/DocumentProperties.h"
#include "options/ui/CPropsGen.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CPropertiesSheet::CPropertiesSheet(CQvasmView &view, SettingsStore &store, QWidget *parent)
    : QDialog(parent)
    , m_view(&view)
    , m_store(store)
{
    setObjectName(QStringLiteral("CPropertiesSheet"));
    setWindowTitle(QStringLiteral("Properties"));

    CPropsGen::Facts facts;
    const QTextDocument *text = view.document();
    if (const CQvasmDoc *doc = view.GetDocument()) {
        facts.fileName = DocumentProperties::fileNameText(doc->GetPathName(), doc->GetTitle());
        facts.saved = DocumentProperties::savedText(doc->GetPathName(), doc->IsModified());
    }
    facts.size = DocumentProperties::sizeText(text->characterCount() - 1, text->blockCount());
    facts.tabs
        = DocumentProperties::tabsFromDistance(view.tabStopDistance(),
                                               EditorSettings::tabStopDistance(text->defaultFont(),
                                                                               1));
    facts.tabsToSpaces = DocumentProperties::tabsToSpaces(store);
    m_page = new CPropsGen(facts);

    auto *tabs = new QTabWidget(this);
    tabs->addTab(m_page, QStringLiteral("General"));
    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void CPropertiesSheet::accept()
{
    const std::optional<int> tabs = m_page->tabs();
    if (!tabs) {
        Prompts::instance().message(DocumentProperties::TabsRefused,
                                    PromptButtons::Ok,
                                    PromptIcon::Exclamation);
        m_page->tabsField()->setFocus();
        m_page->tabsField()->selectAll();
        return;
    }
    if (CQvasmView *view = m_view) {
        const CQvasmView::RedrawLock frozen(*view);
        view->setTabStops(*tabs);
        view->viewport()->update();
    }
    DocumentProperties::save(m_store, *tabs, m_page->tabsToSpaces());
    QDialog::accept();
}
