#include "options/ui/CEdOpt1.h"

#include "base/Prompts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>

CEdOpt1::CEdOpt1(const SyntaxColours &colours, QWidget *parent)
    : QWidget(parent)
    , m_model(colours)
{
    setObjectName(QStringLiteral("CEdOpt1"));
    m_categories = new QListWidget(this);
    m_categories->setObjectName(QStringLiteral("ctl_1001"));
    m_categories->addItems(ColoursPageModel::categoryNames());

    m_table = new QComboBox(this);
    m_table->setObjectName(QStringLiteral("ctl_1002"));
    // Editable as the page was drawn, but only a pick from the list counts.
    m_table->setEditable(true);
    m_table->setInsertPolicy(QComboBox::NoInsert);
    m_table->lineEdit()->setReadOnly(true);
    for (int i = 0; i < SyntaxColours::StandardCount; ++i)
        m_table->addItem(SyntaxColours::standardName(i));

    m_sample = new QPlainTextEdit(this);
    m_sample->setObjectName(QStringLiteral("ctl_1019"));
    m_sample->setPlainText(QStringLiteral("Sample Text\n\nType here to see other text samples."));

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_categories, 0, 0, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("Foreground"), this), 0, 1);
    layout->addWidget(m_table, 1, 1);
    layout->addWidget(m_sample, 2, 1);
    layout->setColumnStretch(1, 1);

    connect(m_categories, &QListWidget::currentRowChanged, this, &CEdOpt1::showCategory);
    connect(m_table, &QComboBox::activated, this, &CEdOpt1::chooseColour);
    m_categories->setCurrentRow(0);
    showCategory(0);
}

void CEdOpt1::save(SettingsStore &store) const
{
    m_model.colours().save(store);
}

void CEdOpt1::showCategory(int row)
{
    if (row < 0)
        return;
    m_model.selectCategory(row);
    const QSignalBlocker quiet(m_table);
    m_table->setCurrentIndex(m_model.index());
    paintSample();
}

void CEdOpt1::chooseColour(int tableIndex)
{
    const bool taken = m_model.choose(tableIndex,
                                      [] { return Prompts::instance().colour(Qt::black); });
    if (!taken) {
        // Cancelled: the category's own entry goes back into the box.
        showCategory(m_model.category());
        return;
    }
    paintSample();
}

void CEdOpt1::paintSample()
{
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Text, m_model.colour());
    m_sample->setPalette(palette);
}
