#pragma once

#include <QWidget>

class QPlainTextEdit;

// "Post Build" (page 136 of the Make Settings sheet): the open workspace's post-build commands,
// one per line. Disabled without a workspace. The text is held to what the workspace's field
// stores (1024 bytes with CR LF line ends), so what the page shows is what gets kept.
class CMakeSet2 : public QWidget
{
    Q_OBJECT

public:
    explicit CMakeSet2(QWidget *parent = nullptr);

    // Lines end in '\n' here; the workspace record keeps CR LF.
    void setPostBuild(const QString &text);
    QString postBuild() const;

    void setWorkspaceOpen(bool open);

    static inline const QString Title = QStringLiteral("Post Build");

private:
    void keepWithinField();

    QPlainTextEdit *m_edit = nullptr;
    bool m_cutting = false;
};
