#include "search/FindInFilesChoices.h"

#include "frame/FindState.h"
#include "search/FileNamePattern.h"

QStringList FindInFilesChoices::typeList()
{
    return {QStringLiteral("*.asm, *.inc"), QStringLiteral("*.*")};
}

FindInFilesChoices FindInFilesChoices::fromState(const FindState &state, const QString &startingText)
{
    FindInFilesChoices c;
    c.text = startingText;
    c.types = state.types.isEmpty() ? typeList().constFirst() : state.types.left(MaxTypesLength);
    c.folder = state.lastPath;
    c.fileNamePattern = state.lastFind;
    c.matchCase = state.matchCase;
    c.wholeWord = state.matchWord;
    c.subFolders = state.searchSubs != 0;
    c.closeOnOpen = state.closeOnOpen != 0;
    c.advanced = state.expanded != 0;
    return c;
}

void FindInFilesChoices::storeInto(FindState &state) const
{
    state.matchCase = matchCase;
    state.matchWord = wholeWord;
    state.searchSubs = subFolders ? 1 : 0;
    state.closeOnOpen = closeOnOpen ? 1 : 0;
    state.types = types;
    state.lastPath = folder;
    state.lastFind = fileNamePattern;
    state.expanded = advanced ? 1 : 0;
}

FindInFiles::Request FindInFilesChoices::request(const QString &activeDocumentPath) const
{
    FindInFiles::Request r;
    r.folder = FindInFiles::searchFolder(folder, activeDocumentPath);
    r.patterns = FileNamePattern::splitTypes(types);
    r.text = text;
    r.subFolders = subFolders;
    r.matchCase = matchCase;
    r.wholeWord = wholeWord;
    return r;
}
