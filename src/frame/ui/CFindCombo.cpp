#include "frame/ui/CFindCombo.h"

#include <QKeyEvent>
#include <QLineEdit>

CFindCombo::CFindCombo(QWidget *parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("findCombo"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(10);
    setFixedWidth(180);
    // The history is matched case-blind by its own rules; the completer would fight them.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CFindCombo::textTyped);
}

bool CFindCombo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}
