#pragma once

#include <QString>

#include <memory>

class BusyIndicator;
class QMdiSubWindow;
class QObject;

// What Check Syntax, Assemble and Build need from one source document window: its names, its
// state, a save under a given path and the view's busy animation.
class BuildSource
{
public:
    virtual ~BuildSource() = default;

    virtual QString pathName() const = 0; // full path; empty while untitled
    virtual QString title() const = 0;
    virtual bool isModified() const = 0;
    virtual bool isTextEmpty() const = 0;
    // Saves the document under path (it takes that name); false when it failed (the user was
    // told).
    virtual bool saveAs(const QString &path) = 0;
    virtual BusyIndicator *busyIndicator() = 0;
};

// The documents as the build commands see them: the source behind a document window, and the
// listing document, which is closed before it is opened afresh.
class BuildDocuments
{
public:
    virtual ~BuildDocuments() = default;

    // nullptr for a window that is not a source document.
    virtual std::unique_ptr<BuildSource> source(QMdiSubWindow *window) = 0;
    // Closes the open document whose path is exactly path, asking "Save changes to: " first
    // when it is modified (Cancel leaves it open). Nothing when none is open.
    virtual void closeBeforeReopening(const QString &path) = 0;
    // Opens the file as a document (or activates it); nullptr when that failed.
    virtual QObject *open(const QString &path) = 0;
};
