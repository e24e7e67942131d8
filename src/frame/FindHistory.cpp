#include "frame/FindHistory.h"

#include "base/SettingsStore.h"

namespace {
const QString kSection = QStringLiteral("FindBar");

QString itemKey(int index)
{
    return QStringLiteral("item%1").arg(index, 2, 10, QLatin1Char('0'));
}
} // namespace

FindHistory::FindHistory() = default;

int FindHistory::find(const QString &text) const
{
    const QStringList list = m_model.stringList();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void FindHistory::makeRoomForNew()
{
    // The list may hold one entry more than is saved; once it does, the twentieth entry makes
    // way (not the last), so the list stays at 21 and only the first 20 survive a restart.
    if (count() > SavedEntries)
        m_model.removeRows(SavedEntries - 1, 1);
}

void FindHistory::insertAtTop(const QString &text)
{
    m_model.insertRows(0, 1);
    m_model.setData(m_model.index(0), text);
}

bool FindHistory::add(const QString &text)
{
    if (text.isEmpty())
        return false;
    const int existing = find(text);
    if (existing >= 0)
        m_model.removeRows(existing, 1);
    else
        makeRoomForNew();
    insertAtTop(text);
    return true;
}

void FindHistory::addKeepingPlace(const QString &text)
{
    if (text.isEmpty() || find(text) >= 0)
        return;
    makeRoomForNew();
    insertAtTop(text);
}

void FindHistory::moveToTop(int index)
{
    if (index <= 0 || index >= count())
        return;
    m_model.moveRows(QModelIndex(), index, 1, QModelIndex(), 0);
}

void FindHistory::load(const SettingsStore &store)
{
    QStringList list;
    for (int i = 0; i < SavedEntries; ++i) {
        const QString text = store.readString(kSection, itemKey(i));
        if (text.isEmpty())
            break;
        list.append(text);
    }
    m_model.setStringList(list);
}

void FindHistory::save(SettingsStore &store) const
{
    const QStringList list = m_model.stringList();
    for (int i = 0; i < SavedEntries; ++i)
        store.writeString(kSection, itemKey(i), i < list.size() ? list.at(i) : QString());
}
