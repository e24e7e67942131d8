#include "editor/ui/CMemberPopupDlg.h"

#include <QListWidget>

#include <algorithm>

CMemberPopupDlg::CMemberPopupDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("CMemberPopupDlg"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ctl_1036"));
    m_list->setSortingEnabled(true);
    m_list->setFrameShape(QFrame::Box);
    connect(m_list, &QListWidget::itemActivated, this, &CMemberPopupDlg::accept);
}

void CMemberPopupDlg::setNames(const QStringList &names)
{
    m_names = names;
}

CMemberPopupDlg::Placement CMemberPopupDlg::place(const QStringList &names,
                                                  const QPoint &anchor,
                                                  const QRect &bounds)
{
    qsizetype longest = 0;
    for (const QString &name : names)
        longest = std::max(longest, name.size());
    const int width = int(std::clamp<qsizetype>(longest * 9, 50, 200));
    int height = int(std::min<qsizetype>(names.size(), 1000)) * 16;
    if (height > 192)
        height = 200;
    QPoint at = anchor;
    if (bounds.isValid()) {
        // Windows' rectangles end one past their last pixel.
        const int bottom = bounds.y() + bounds.height();
        const int right = bounds.x() + bounds.width();
        if (bottom < at.y() + height + 4)
            at.setY(bottom - height - 8);
        if (right < at.x() + width + 4)
            at.setX(right - width - 12);
    }
    return {QRect(at.x() + 4, at.y(), width + 4, height + 4), QSize(width, height)};
}

int CMemberPopupDlg::exec()
{
    m_list->clear();
    m_list->addItems(m_names);
    const Placement p = place(m_names, m_anchor, m_bounds);
    m_names.clear();
    m_list->setGeometry(2, 2, p.list.width(), p.list.height());
    setGeometry(p.dialog);
    // The highlighted name is the one Enter takes, and Down goes on to the next.
    m_list->setCurrentRow(0);
    m_list->setFocus();
    return QDialog::exec();
}

void CMemberPopupDlg::accept()
{
    // Enter without a selected name inserts nothing.
    const QListWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected()) {
        reject();
        return;
    }
    m_chosen = item->text();
    QDialog::accept();
}
