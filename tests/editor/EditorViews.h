#pragma once

#include "DocumentFixture.h"
#include "editor/SourceFileCodec.h"

// Writes a file into the fixture's folder and opens it in an editor view with the focus.
inline CQvasmView *openView(DocumentFixture &f,
                            const QByteArray &bytes,
                            const QString &name = "a.asm")
{
    CQvasmDoc *doc = f.documents->openDocument(f.write(name, bytes));
    if (!doc)
        return nullptr;
    CChildFrame::viewOf(doc)->setFocus();
    return CChildFrame::viewOf(doc);
}

// The view's text as it is saved, each line end a "\n".
inline QString viewText(const CQvasmView *view)
{
    return SourceFileCodec::documentText(*view->document());
}
