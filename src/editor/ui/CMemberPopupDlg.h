#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QStringList>

class QListWidget;

// The member pop-up (dialog 197): an untitled sorted list of a structure's members, placed at
// the caret. Enter takes the selected name, Escape closes without one.
class CMemberPopupDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CMemberPopupDlg(QWidget *parent = nullptr);

    // Filled by the caller before exec(); the list takes them over when it starts.
    void setNames(const QStringList &names);
    // Screen position of the caret.
    void setAnchor(const QPoint &anchor) { m_anchor = anchor; }
    // The main window's rectangle in screen coordinates, which the pop-up is kept inside.
    void setBounds(const QRect &bounds) { m_bounds = bounds; }
    QString chosenName() const { return m_chosen; }
    QListWidget *list() const { return m_list; }

    struct Placement
    {
        QRect dialog; // screen coordinates
        QSize list;   // at (2, 2) inside it
    };
    // Width 9 pixels per character of the longest name (50 to 200), height 16 pixels per name
    // (200 past 192); moved up or left where the bounds end.
    static Placement place(const QStringList &names, const QPoint &anchor, const QRect &bounds);

    int exec() override;
    void accept() override;

private:
    QListWidget *m_list;
    QStringList m_names;
    QPoint m_anchor;
    QRect m_bounds;
    QString m_chosen;
};
