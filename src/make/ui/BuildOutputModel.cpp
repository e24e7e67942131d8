#include "make/ui/BuildOutputModel.h"

BuildOutputModel::BuildOutputModel(QObject *parent)
    : QAbstractListModel(parent)
{}

void BuildOutputModel::setOutput(const BuildOutput &output)
{
    beginResetModel();
    m_output = output;
    endResetModel();
}

int BuildOutputModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_output.count();
}

QVariant BuildOutputModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_output.count())
        return {};
    if (role == Qt::DisplayRole) {
        // A row shows the start of a very long line; Go To and Error Info read the whole line.
        QString text = m_output.entry(index.row());
        if (text.size() > DisplayLimit)
            text.truncate(DisplayLimit);
        // A tab would show as a wide gap or a box in a list row.
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        return text;
    }
    return {};
}
