#pragma once

#include <QComboBox>

// The find-history box on the Find bar (control 106): an editable drop-down list over the find
// history's model. Enter in it does nothing; the user's own edits are reported by textTyped.
class CFindCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit CFindCombo(QWidget *parent = nullptr);

signals:
    void textTyped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
