#pragma once

#include "search/FindInFiles.h"

#include <QString>
#include <QStringList>

struct FindState;

// What the Find in File(s) dialog shows and the user chose: filled from the frame's find state
// when the dialog opens and written back when it ends by Find or Close (never by Cancel).
struct FindInFilesChoices
{
    QString text;
    QString types;
    QString folder;
    QString fileNamePattern; // the advanced form's "Find What:"
    bool matchCase = false;
    bool wholeWord = false;
    bool subFolders = false;
    bool closeOnOpen = false;
    bool advanced = false;

    // The File Types list offered; the first is taken when the state holds no types.
    static QStringList typeList();
    static constexpr int MaxTypesLength = 128;
    static constexpr int MaxFolderLength = 260;

    static FindInFilesChoices fromState(const FindState &state, const QString &startingText);
    // Everything but the search text, which goes to the find history.
    void storeInto(FindState &state) const;

    // The simple form's search: the folder resolved (FindInFiles::searchFolder), Types split.
    FindInFiles::Request request(const QString &activeDocumentPath) const;
};
