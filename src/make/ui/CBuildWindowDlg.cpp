#include "make/ui/CBuildWindowDlg.h"

#include "base/Prompts.h"
#include "make/ui/BuildOutputModel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *totalBox(int id, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("ctl_%1").arg(id));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    return box;
}

} // namespace

CBuildWindowDlg::CBuildWindowDlg(BuildOutput output,
                                 const QString &returnCode,
                                 int keptSelection,
                                 QWidget *parent)
    : QDialog(parent)
    , m_keptSelection(keptSelection)
{
    setObjectName(QStringLiteral("CBuildWindowDlg"));
    setWindowTitle(Caption);

    m_model = new BuildOutputModel(this);
    m_model->setOutput(std::move(output));

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("ctl_1036"));
    m_list->setUniformItemSizes(true); // 100,000 rows lay out without measuring each
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setModel(m_model);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_list->setFont(fixed);
    m_list->setMinimumSize(560, 220);

    m_goTo = new QPushButton(QStringLiteral("Go To"), this);
    m_goTo->setObjectName(QStringLiteral("ctl_1"));
    m_goTo->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("ctl_2"));
    close->setAutoDefault(false);
    m_errorInfo = new QPushButton(QStringLiteral("Error Info"), this);
    m_errorInfo->setObjectName(QStringLiteral("ctl_3"));
    m_errorInfo->setAutoDefault(false);

    m_errorsBox = totalBox(1038, this);
    m_diagsBox = totalBox(1039, this);
    m_freeBox = totalBox(1040, this);
    m_returnCodeBox = totalBox(1041, this);

    const BuildOutput &out = m_model->output();
    m_symbolSpaceFree = out.symbolSpaceFree();
    m_totalErrors = out.totalErrors();
    m_totalDiagnostics = out.totalDiagnostics();
    m_errorsBox->setText(QString::number(m_totalErrors));
    m_diagsBox->setText(QString::number(m_totalDiagnostics));
    m_freeBox->setText(QString::number(m_symbolSpaceFree));
    m_returnCodeBox->setText(returnCode);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_goTo);
    buttons->addWidget(close);
    buttons->addWidget(m_errorInfo);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(buttons);

    auto *totals = new QGridLayout;
    const auto addTotal = [&](int column, const QString &label, QLineEdit *box) {
        auto *l = new QLabel(label, this);
        l->setBuddy(box);
        totals->addWidget(l, 0, column, Qt::AlignRight);
        totals->addWidget(box, 0, column + 1);
    };
    addTotal(0, QStringLiteral("Total Errors:"), m_errorsBox);
    addTotal(2, QStringLiteral("Total Diagnostics:"), m_diagsBox);
    addTotal(4, QStringLiteral("Symbol space Free:"), m_freeBox);
    addTotal(6, QStringLiteral("Return Code:"), m_returnCodeBox);
    totals->setColumnStretch(8, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(totals);

    connect(m_goTo, &QPushButton::clicked, this, &CBuildWindowDlg::goTo);
    connect(close, &QPushButton::clicked, this, &CBuildWindowDlg::closeWindow);
    connect(m_errorInfo, &QPushButton::clicked, this, &CBuildWindowDlg::errorInfo);
    connect(m_list->selectionModel(),
            &QItemSelectionModel::currentRowChanged,
            this,
            &CBuildWindowDlg::updateButtons);
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        activateRow(index.row());
    });

    selectRow(out.rowToSelect(keptSelection));
    updateButtons();
    m_list->setFocus();
}

const BuildOutput &CBuildWindowDlg::output() const
{
    return m_model->output();
}

int CBuildWindowDlg::selectedRow() const
{
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    return current.isValid() && m_list->selectionModel()->isSelected(current) ? current.row() : -1;
}

void CBuildWindowDlg::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (!index.isValid()) {
        m_list->selectionModel()->clear();
        updateButtons();
        return;
    }
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index, QAbstractItemView::PositionAtCenter);
    updateButtons();
}

void CBuildWindowDlg::updateButtons()
{
    const bool target = output().canGoTo(selectedRow());
    m_goTo->setEnabled(target);
    m_errorInfo->setEnabled(target);
}

void CBuildWindowDlg::readTotalsBack()
{
    m_totalErrors = m_errorsBox->text().toUInt();
    m_totalDiagnostics = m_diagsBox->text().toUInt();
    m_symbolSpaceFree = m_freeBox->text().toUInt();
}

void CBuildWindowDlg::goTo()
{
    const int row = selectedRow();
    if (!output().canGoTo(row))
        return;
    const std::optional<ErrorLocation> target = output().goToTarget(row);
    m_fileName = target ? target->file : QString();
    m_lineNumber = target ? target->line : 0;
    m_keptSelection = row;
    readTotalsBack();
    accept();
}

void CBuildWindowDlg::closeWindow()
{
    reject();
}

void CBuildWindowDlg::reject()
{
    readTotalsBack();
    QDialog::reject();
}

void CBuildWindowDlg::errorInfo()
{
    const std::optional<ErrorInfoMessage> info = output().errorInfo(selectedRow());
    if (info)
        showMessage(info->text, info->icon);
}

void CBuildWindowDlg::activateRow(int row)
{
    if (row < 0 || row >= output().count())
        return;
    selectRow(row);
    if (output().isContinuation(row)) {
        showMessage(BuildOutput::ContinuationLineMessage);
        return;
    }
    goTo();
}
