#pragma once

#include "options/StartupDocumentChoice.h"

#include <QWidget>

class QCheckBox;
class SettingsStore;

// Editor Properties, page "Document" (156): start with the last workspace or with an empty
// template, never both.
class CEdOpt3 : public QWidget
{
    Q_OBJECT

public:
    explicit CEdOpt3(const StartupDocumentChoice &choice, QWidget *parent = nullptr);

    StartupDocumentChoice choice() const;
    void save(SettingsStore &store) const;

private:
    void updateEnabling();

    QCheckBox *m_loadWorkspace = nullptr;
    QCheckBox *m_emptyTemplate = nullptr;
};
