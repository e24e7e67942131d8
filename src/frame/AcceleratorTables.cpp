#include "frame/AcceleratorTables.h"

#include "base/CommandIds.h"

#include <QSet>

namespace {

Accelerator key(QKeyCombination combination, int id)
{
    return {QKeySequence(combination), id};
}

} // namespace

const QList<Accelerator> &AcceleratorTables::table(int tableId)
{
    constexpr auto Ctrl = Qt::ControlModifier;
    constexpr auto Shift = Qt::ShiftModifier;
    constexpr auto Alt = Qt::AltModifier;
    // clang-format off
    static const QList<Accelerator> frame = {
        key(Ctrl | Qt::Key_A, ID_EDIT_SELECT_ALL),
        key(Ctrl | Qt::Key_C, ID_EDIT_COPY),
        key(Ctrl | Qt::Key_Insert, ID_EDIT_COPY),
        key(Ctrl | Qt::Key_H, ID_EDIT_REPLACE),
        key(Ctrl | Qt::Key_N, ID_FILE_NEW),
        key(Ctrl | Qt::Key_O, ID_FILE_OPEN),
        key(Ctrl | Qt::Key_P, ID_FILE_PRINT),
        key(Ctrl | Qt::Key_S, ID_FILE_SAVE),
        key(Ctrl | Qt::Key_V, ID_EDIT_PASTE),
        key(Shift | Qt::Key_Insert, ID_EDIT_PASTE),
        key(Ctrl | Qt::Key_X, ID_EDIT_CUT),
        key(Shift | Qt::Key_Delete, ID_EDIT_CUT),
        key(Qt::Key_Escape, ID_VIEW_VIEW_BAR),
        key(Qt::Key_F1, ID_HELP),
        key(Ctrl | Qt::Key_F1, ID_CONTEXT_HELP),
        key(Qt::Key_F4, ID_MAKE_NEXT_ERROR),
        key(Shift | Qt::Key_F4, ID_MAKE_PREV_ERROR),
        key(Qt::Key_F6, ID_NEXT_PANE),
        key(Shift | Qt::Key_F6, ID_PREV_PANE),
        key(Alt | Qt::Key_Return, ID_FRAME_ALT_ENTER),
        key(Alt | Qt::Key_Enter, ID_FRAME_ALT_ENTER),
    };
    static const QList<Accelerator> document = {
        key(Ctrl | Qt::Key_F, ID_EDIT_FIND),
        key(Ctrl | Qt::Key_G, ID_EDIT_GOTO),
        key(Ctrl | Qt::Key_N, ID_FILE_NEW),
        key(Ctrl | Qt::Key_O, ID_FILE_OPEN),
        key(Ctrl | Qt::Key_P, ID_FILE_PRINT),
        key(Ctrl | Qt::Key_S, ID_FILE_SAVE),
        key(Ctrl | Qt::Key_U, ID_EDIT_LOWERCASE),
        key(Ctrl | Shift | Qt::Key_U, ID_EDIT_UPPERCASE),
        key(Ctrl | Qt::Key_Down, ID_SCROLL_LINE_DOWN),
        key(Ctrl | Qt::Key_Up, ID_SCROLL_LINE_UP),
        key(Qt::Key_Escape, ID_VIEW_VIEW_BAR),
        key(Qt::Key_F1, ID_HELP),
        key(Ctrl | Qt::Key_F1, ID_CONTEXT_HELP),
        key(Shift | Qt::Key_F1, ID_HELP_AT_CARET),
        key(Qt::Key_F3, ID_EDIT_FIND_NEXT),
        key(Shift | Qt::Key_F3, ID_EDIT_FIND_NEXT),
        key(Qt::Key_F4, ID_MAKE_NEXT_ERROR),
        key(Shift | Qt::Key_F4, ID_MAKE_PREV_ERROR),
        key(Qt::Key_F5, ID_VIEW_REFRESH),
        key(Qt::Key_F6, ID_NEXT_PANE),
        key(Shift | Qt::Key_F6, ID_PREV_PANE),
        // F7 runs Check Syntax, as its menu item says; F9 alone builds.
        key(Qt::Key_F7, ID_MAKE_CHECK_SYNTAX),
        key(Qt::Key_F8, ID_MAKE_ASSEMBLE),
        key(Qt::Key_F9, ID_MAKE_BUILD),
        key(Qt::Key_F10, ID_MAKE_EXECUTE),
        // Enter first: a menu shows the first key of a command, and names it Alt+Enter.
        key(Alt | Qt::Key_Enter, ID_PROPERTIES),
        key(Alt | Qt::Key_Return, ID_PROPERTIES),
        key(Ctrl | Qt::Key_W, ID_FILE_CLOSE),
        key(Ctrl | Qt::Key_Y, ID_EDIT_REDO),
        key(Ctrl | Qt::Key_Z, ID_EDIT_UNDO),
    };
    // clang-format on
    return tableId == Document ? document : frame;
}

QList<Accelerator> AcceleratorTables::effective(bool documentActive)
{
    QList<Accelerator> keys;
    QSet<QKeySequence> taken;
    const QList<int> order = documentActive ? QList<int>{Document, Frame} : QList<int>{Frame};
    for (int t : order) {
        for (const Accelerator &a : table(t)) {
            if (taken.contains(a.keys))
                continue;
            taken.insert(a.keys);
            keys.append(a);
        }
    }
    return keys;
}

QString AcceleratorTables::keyText(int id, bool documentActive)
{
    for (const Accelerator &a : effective(documentActive)) {
        if (a.id == id)
            return a.keys.toString(QKeySequence::PortableText);
    }
    // Keys the editor acts on by itself, never registered as shortcuts, which would take them
    // from the editor.
    if (id == ID_EDIT_CLEAR)
        return QKeySequence(Qt::Key_Delete).toString(QKeySequence::PortableText);
    return QString();
}
