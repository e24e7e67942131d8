#pragma once

#include "base/CommandUpdate.h"

#include <QHash>
#include <QList>

#include <functional>

// The command table of one owner (an editor view, a document, a child frame, the main frame or
// the application): which command ids it handles, and how it decides their enabled and checked
// state. Owners fill it once, usually in their constructor:
//
//   commands().on(ID_FILE_SAVE, [this] { save(); });
//   commands().onUpdate(ID_FILE_SAVE, [this](CommandUpdate &u) { u.enable(isModified()); });
//   commands().onRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, [this](int id) { openRecent(id); });
class CommandMap
{
public:
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(int id)>;
    using Updater = std::function<void(CommandUpdate &)>;

    void on(int id, Handler handler);
    void onRange(int first, int last, RangeHandler handler);
    void onUpdate(int id, Updater updater);
    void onUpdateRange(int first, int last, Updater updater);
    // Forgets every handler and updater of this id (ranges keep theirs).
    void remove(int id);

    bool handles(int id) const;
    // Runs the handler; false when this owner has none for the id.
    bool execute(int id) const;
    // Runs the updater; false when this owner has none for the id.
    bool update(CommandUpdate &update) const;

private:
    struct Range
    {
        int first;
        int last;
        RangeHandler handler;
    };
    struct UpdateRange
    {
        int first;
        int last;
        Updater updater;
    };
    const Range *findRange(int id) const;
    const UpdateRange *findUpdateRange(int id) const;

    QHash<int, Handler> m_handlers;
    QHash<int, Updater> m_updaters;
    QList<Range> m_ranges;
    QList<UpdateRange> m_updateRanges;
};
