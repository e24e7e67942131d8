#pragma once

#include "search/ui/FindCommands.h"

#include <QObject>
#include <QPointer>

#include <memory>

class CMainFrame;
class CQvasmView;

// Gives every editor view of a main frame its FindCommands, as its windows appear.
class FindCommandsHost : public QObject
{
    Q_OBJECT

public:
    explicit FindCommandsHost(CMainFrame *frame);

    // Gives a view its commands (once; later calls do nothing).
    void attach(CQvasmView *view);

    // Tests: the keyboard state Find Next looks at; empty asks the keyboard.
    void setModifierQuery(FindCommands::ModifierQuery query) { *m_modifiers = std::move(query); }

private:
    void attachAll();

    QPointer<CMainFrame> m_frame;
    // Shared with the views' commands, as a view may outlive this object at teardown.
    std::shared_ptr<FindCommands::ModifierQuery> m_modifiers
        = std::make_shared<FindCommands::ModifierQuery>();
};
