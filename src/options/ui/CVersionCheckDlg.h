#pragma once

#include <QDialog>
#include <QPointer>

class CBusyAnimation;
class QHBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class VersionFetch;

// Internet > Check Version (168): Get Info reads the published version file under the home URL
// and fills the latest version, date and comment of the IDE and of the assembler. The fetch runs
// on the event loop with the busy animation playing; the window stays responsive and Escape or
// the close box end the dialog as Close does.
class CVersionCheckDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CVersionCheckDlg(const QString &homeUrl, QWidget *parent = nullptr);
    ~CVersionCheckDlg() override;

    // Tests: a shorter wait for a server that does not answer.
    void setTimeout(int milliseconds);
    bool isFetching() const;

    void getInfo();
    // Leaving ends a fetch still running.
    void done(int result) override;

private:
    void fetched(bool ok, quint32 errorCode, const QByteArray &data);

    QString m_homeUrl;
    VersionFetch *m_fetch = nullptr;
    QPushButton *m_getInfo = nullptr;
    QHBoxLayout *m_animationRow = nullptr;
    QPointer<CBusyAnimation> m_animation;
    QLineEdit *m_ideVersion = nullptr;
    QLineEdit *m_ideDate = nullptr;
    QPlainTextEdit *m_ideComment = nullptr;
    QLineEdit *m_asmVersion = nullptr;
    QLineEdit *m_asmDate = nullptr;
    QPlainTextEdit *m_asmComment = nullptr;
};
