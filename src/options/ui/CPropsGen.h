#pragma once

#include <QWidget>

#include <optional>

class QCheckBox;
class QLineEdit;

// View > Properties, page "General" (151): the document's name, size and last save, and the tab
// width with the tabs-to-spaces choice.
class CPropsGen : public QWidget
{
    Q_OBJECT

public:
    struct Facts
    {
        QString fileName;
        QString size;
        QString saved;
        int tabs = 2;
        bool tabsToSpaces = true;
    };

    explicit CPropsGen(const Facts &facts, QWidget *parent = nullptr);

    // The tab width entered, when it is a whole number from 1 to 16.
    std::optional<int> tabs() const;
    bool tabsToSpaces() const;
    QLineEdit *tabsField() const { return m_tabs; }

private:
    QLineEdit *m_tabs = nullptr;
    QCheckBox *m_tabsToSpaces = nullptr;
};
