#pragma once

#include <QString>

#include <optional>

// What an update handler decides about one command: handed to the handler, read by the router.
// A handler that leaves the enabled state alone gets the default: enabled exactly when some
// owner along the route handles the command.
class CommandUpdate
{
public:
    explicit CommandUpdate(int id)
        : m_id(id)
    {}

    int id() const { return m_id; }

    void enable(bool on = true)
    {
        m_enabled = on;
        m_enabledChanged = true;
    }
    void setCheck(bool on) { m_checked = on; }
    void setText(const QString &text) { m_text = text; }
    void setVisible(bool on) { m_visible = on; }

    bool enabledChanged() const { return m_enabledChanged; }
    bool isEnabled() const { return m_enabled; }
    const std::optional<bool> &checked() const { return m_checked; }
    const std::optional<QString> &text() const { return m_text; }
    const std::optional<bool> &visible() const { return m_visible; }

private:
    int m_id;
    bool m_enabled = false;
    bool m_enabledChanged = false;
    std::optional<bool> m_checked;
    std::optional<QString> m_text;
    std::optional<bool> m_visible;
};
