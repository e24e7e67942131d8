#include "options/ui/CPropsGen.h"

#include "options/DocumentProperties.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

CPropsGen::CPropsGen(const Facts &facts, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CPropsGen"));
    const auto field = [this](int id, const QString &text) {
        auto *edit = new QLineEdit(text, this);
        edit->setObjectName(QStringLiteral("ctl_%1").arg(id));
        edit->setReadOnly(true);
        edit->setCursorPosition(0);
        return edit;
    };
    QLineEdit *fileName = field(1025, facts.fileName);
    fileName->setMinimumWidth(320);
    QLineEdit *size = field(1027, facts.size);
    QLineEdit *saved = field(1028, facts.saved);
    m_tabs = field(1029, QString::number(facts.tabs));
    m_tabs->setReadOnly(false);
    m_tabs->setMaxLength(4);
    m_tabsToSpaces = new QCheckBox(QStringLiteral("Tabs to spaces?"), this);
    m_tabsToSpaces->setObjectName(QStringLiteral("ctl_1098"));
    m_tabsToSpaces->setChecked(facts.tabsToSpaces);

    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Filename:"), fileName);
    layout->addRow(QStringLiteral("Size:"), size);
    layout->addRow(QStringLiteral("Saved:"), saved);
    layout->addRow(QStringLiteral("Tabs:"), m_tabs);
    layout->addRow(QString(), m_tabsToSpaces);
}

std::optional<int> CPropsGen::tabs() const
{
    return DocumentProperties::parseTabs(m_tabs->text());
}

bool CPropsGen::tabsToSpaces() const
{
    return m_tabsToSpaces->isChecked();
}
