#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

struct Accelerator
{
    QKeySequence keys;
    int id;
};

// The accelerator tables: 128 belongs to the frame, 129 to document windows.
namespace AcceleratorTables {
enum TableId { Frame = 128, Document = 129 };

const QList<Accelerator> &table(int tableId);
// The keys in force: with a document window active table 129 is tried first and table 128
// after it, so each key runs the first table's command; without one only table 128 counts.
QList<Accelerator> effective(bool documentActive);
// The key text a menu shows beside a command: the first key the tables in force bind to it, else
// the key the editor handles itself for it (Del for Delete); empty when there is none.
QString keyText(int id, bool documentActive);
} // namespace AcceleratorTables
