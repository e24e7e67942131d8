#pragma once

#include "editor/SyntaxColours.h"

#include <QDialog>

#include <array>

class CEdOpt1;
class CEdOpt2;
class CEdOpt3;
class QTabWidget;
class SettingsStore;

// View > Editor Properties: the pages Colors, Attributes and Document, OK and Cancel, no Apply.
// OK writes what each page that was shown holds; a page never opened writes nothing.
class CEditorPropsSheet : public QDialog
{
    Q_OBJECT

public:
    enum Page { Colors, Attributes, Document };

    explicit CEditorPropsSheet(SettingsStore &store, QWidget *parent = nullptr);

    // The six colours as the Colors page holds them, for the colouring once OK is pressed.
    const SyntaxColours &colours() const;
    bool wasShown(Page page) const { return m_shown[page]; }
    QTabWidget *tabs() const { return m_tabs; }

    void accept() override;

private:
    SettingsStore &m_store;
    QTabWidget *m_tabs = nullptr;
    CEdOpt1 *m_colors = nullptr;
    CEdOpt2 *m_attributes = nullptr;
    CEdOpt3 *m_document = nullptr;
    std::array<bool, 3> m_shown{};
};
