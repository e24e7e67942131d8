#pragma once

#include <QDialog>

class QListWidget;

// Dialog 174 "Create New ...": which kind of new document File > New makes. List ctl_1008 under
// "Create &New:" holds "New .asm file", "New .inc file", "New .txt file" and "other file type";
// item 0 starts selected; OK (or a double-click) stores the chosen index.
class CCreateNewDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CCreateNewDlg(QWidget *parent = nullptr);

    // The index chosen with OK; -1 until then.
    int chosenIndex() const { return m_chosen; }
    QListWidget *list() const { return m_list; }

    void accept() override;

private:
    QListWidget *m_list;
    int m_chosen = -1;
};
