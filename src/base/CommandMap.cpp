#include "base/CommandMap.h"

void CommandMap::on(int id, Handler handler)
{
    m_handlers.insert(id, std::move(handler));
}

void CommandMap::onRange(int first, int last, RangeHandler handler)
{
    m_ranges.append({first, last, std::move(handler)});
}

void CommandMap::onUpdate(int id, Updater updater)
{
    m_updaters.insert(id, std::move(updater));
}

void CommandMap::onUpdateRange(int first, int last, Updater updater)
{
    m_updateRanges.append({first, last, std::move(updater)});
}

void CommandMap::remove(int id)
{
    m_handlers.remove(id);
    m_updaters.remove(id);
}

const CommandMap::Range *CommandMap::findRange(int id) const
{
    for (const Range &r : m_ranges) {
        if (id >= r.first && id <= r.last)
            return &r;
    }
    return nullptr;
}

const CommandMap::UpdateRange *CommandMap::findUpdateRange(int id) const
{
    for (const UpdateRange &r : m_updateRanges) {
        if (id >= r.first && id <= r.last)
            return &r;
    }
    return nullptr;
}

bool CommandMap::handles(int id) const
{
    return m_handlers.contains(id) || findRange(id);
}

bool CommandMap::execute(int id) const
{
    const auto it = m_handlers.constFind(id);
    if (it != m_handlers.constEnd()) {
        // A copy: the handler may replace its own entry while it runs.
        const Handler handler = *it;
        handler();
        return true;
    }
    if (const Range *r = findRange(id)) {
        const RangeHandler handler = r->handler;
        handler(id);
        return true;
    }
    return false;
}

bool CommandMap::update(CommandUpdate &update) const
{
    const auto it = m_updaters.constFind(update.id());
    if (it != m_updaters.constEnd()) {
        (*it)(update);
        return true;
    }
    if (const UpdateRange *r = findUpdateRange(update.id())) {
        r->updater(update);
        return true;
    }
    return false;
}
