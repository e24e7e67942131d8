#pragma once

#include <QString>

class QObject;

// What the application needs from the documents: the source-document template registers one
// with CQvasmApp::setDocumentTemplate. Until one is registered, New and Open are disabled and
// start-up opens no document.
class DocumentTemplate
{
public:
    virtual ~DocumentTemplate() = default;

    // Opens the file as a document, or activates its window when it is open already. Returns
    // the document, or nullptr when it failed (the document has told the user why).
    virtual QObject *OpenDocumentFile(const QString &path) = 0;
    // A new untitled document (File > New); nullptr when the user cancelled or it failed.
    virtual QObject *newDocument() = 0;
    // Asks about every modified document in turn; false when the user cancelled.
    virtual bool SaveAllModified() = 0;
    // Closes every document without asking; called once SaveAllModified has said yes.
    virtual void closeAllDocuments() = 0;
};
