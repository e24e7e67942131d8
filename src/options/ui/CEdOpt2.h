#pragma once

#include "options/EditorAttributes.h"

#include <QWidget>

class QCheckBox;
class SettingsStore;

// Editor Properties, page "Attributes" (134): formatting, case-insensitive formatting, member
// pop-ups, hiding the Build Window.
class CEdOpt2 : public QWidget
{
    Q_OBJECT

public:
    explicit CEdOpt2(const EditorAttributes &attributes, QWidget *parent = nullptr);

    EditorAttributes attributes() const;
    // OK: the four keys, and the program's formatting switch follows the first box.
    void save(SettingsStore &store) const;

private:
    QCheckBox *m_formatting = nullptr;
    QCheckBox *m_caseInsensitive = nullptr;
    QCheckBox *m_memberPopup = nullptr;
    QCheckBox *m_buildWindow = nullptr;
};
