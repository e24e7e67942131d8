#pragma once

#include "DocWindowStub.h"
#include "make/ui/BuildDocuments.h"

// The build commands' view of such windows; the listing steps are recorded.
class StubBuildDocuments : public BuildDocuments
{
public:
    class Source : public BuildSource
    {
    public:
        explicit Source(DocWindowStub *w)
            : m_w(w)
        {}
        QString pathName() const override { return m_w->path; }
        QString title() const override { return m_w->title; }
        bool isModified() const override { return m_w->editor->document()->isModified(); }
        bool isTextEmpty() const override { return m_w->editor->document()->isEmpty(); }
        bool saveAs(const QString &path) override { return m_w->save(path); }
        BusyIndicator *busyIndicator() override { return &m_w->busy; }

    private:
        DocWindowStub *m_w;
    };

    std::unique_ptr<BuildSource> source(QMdiSubWindow *window) override
    {
        auto *w = dynamic_cast<DocWindowStub *>(window);
        return w ? std::make_unique<Source>(w) : nullptr;
    }
    void closeBeforeReopening(const QString &path) override { *log << "close " + path; }
    QObject *open(const QString &path) override
    {
        *log << "open " + path;
        return nullptr;
    }

    QStringList *log = nullptr;
};
