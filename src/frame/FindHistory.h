#pragma once

#include <QStringListModel>

class SettingsStore;

// The find history behind the Find bar's combo box: recent search texts, newest first. The
// combo box shows this model; the rules of what goes where live here, away from the widget.
class FindHistory
{
public:
    static constexpr int SavedEntries = 20;

    FindHistory();

    QStringListModel *model() { return &m_model; }
    QStringList entries() const { return m_model.stringList(); }
    int count() const { return m_model.rowCount(); }

    // Records a search text as the newest entry (an entry differing only in letter case is
    // replaced by the new spelling). Returns true when entry 0 should become the selection, which
    // is always the case unless the text was empty.
    bool add(const QString &text);
    // Find Next's rule: a text already listed (letter case aside) stays where it is; a new one
    // goes on top. The selection is left alone.
    void addKeepingPlace(const QString &text);
    // The user picked this entry: it becomes the newest.
    void moveToTop(int index);
    // Position of an entry equal to text when letter case is ignored; -1 if none.
    int find(const QString &text) const;

    // Section FindBar, keys item00..item19; loading stops at the first empty key.
    void load(const SettingsStore &store);
    // Always writes all twenty keys, empty beyond the history.
    void save(SettingsStore &store) const;

private:
    void makeRoomForNew();
    void insertAtTop(const QString &text);

    QStringListModel m_model;
};
