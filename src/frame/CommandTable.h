#pragma once

#include <QList>
#include <QString>

// What the program shows about each command outside menu texts: the status-line prompt while
// the command is pointed at, the tool tip of its button, and its icon.
struct CommandInfo
{
    int id = 0;
    QString prompt;   // status line; empty: none
    QString toolTip;  // button tip; empty: the menu text without its '&' and shortcut
    QString iconPath; // resource path of the icon; empty: none
};

namespace CommandTable {
// Every command id the program knows, ascending.
const QList<int> &ids();
bool contains(int id);
// Info of a known id; an id nobody knows gets an empty record with that id.
CommandInfo info(int id);
} // namespace CommandTable
