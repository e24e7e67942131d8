#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CMainFrame;

// Window > Tabbed Documents: the document windows as tabs of the main window (closable, movable)
// or as windows of their own, as the user last chose; windows by default.
class TabbedDocuments : public QObject
{
    Q_OBJECT

public:
    explicit TabbedDocuments(CMainFrame *frame);

    bool isTabbed() const;
    void setTabbed(bool on);

    static inline const QString Section = QStringLiteral("Settings");
    static inline const QString Key = QStringLiteral("tabbed");

private:
    QPointer<CMainFrame> m_frame;
};
