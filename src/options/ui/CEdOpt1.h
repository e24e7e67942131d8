#pragma once

#include "options/ColoursPageModel.h"

#include <QWidget>

class QComboBox;
class QListWidget;
class QPlainTextEdit;
class SettingsStore;

// Editor Properties, page "Colors" (133): a category list, the colour table and a sample in the
// chosen colour. The custom entry asks through the colour dialog.
class CEdOpt1 : public QWidget
{
    Q_OBJECT

public:
    explicit CEdOpt1(const SyntaxColours &colours, QWidget *parent = nullptr);

    const SyntaxColours &colours() const { return m_model.colours(); }
    bool changed() const { return m_model.changed(); }
    // OK: the six indices, then the six colours.
    void save(SettingsStore &store) const;

private:
    void showCategory(int row);
    void chooseColour(int tableIndex);
    void paintSample();

    ColoursPageModel m_model;
    QListWidget *m_categories = nullptr;
    QComboBox *m_table = nullptr;
    QPlainTextEdit *m_sample = nullptr;
};
