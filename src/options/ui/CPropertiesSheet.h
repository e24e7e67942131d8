#pragma once

#include <QDialog>
#include <QPointer>

class CPropsGen;
class CQvasmView;
class SettingsStore;

// View > Properties on the active document: the General page. OK refuses a tab width outside
// 1 to 16 and stays open; otherwise the width applies to the document at once and is stored.
class CPropertiesSheet : public QDialog
{
    Q_OBJECT

public:
    CPropertiesSheet(CQvasmView &view, SettingsStore &store, QWidget *parent = nullptr);

    CPropsGen *page() const { return m_page; }
    void accept() override;

private:
    QPointer<CQvasmView> m_view;
    SettingsStore &m_store;
    CPropsGen *m_page = nullptr;
};
