#pragma once

#include "make/BuildOutput.h"

#include <QAbstractListModel>

// The Build Window's list as a model: one row per listed line, each decoded only when a view
// asks for it, so a capture of 100,000 lines lists at once.
class BuildOutputModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit BuildOutputModel(QObject *parent = nullptr);

    void setOutput(const BuildOutput &output);
    const BuildOutput &output() const { return m_output; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    static constexpr int DisplayLimit = 4096;

private:
    BuildOutput m_output;
};
