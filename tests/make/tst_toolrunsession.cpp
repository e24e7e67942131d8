#include "frame/ui/BusyIndicator.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "make/BuildState.h"
#include "make/ui/ToolRunSession.h"

#include "DocWindowStub.h"
#include "FakeTool.h"
#include "ScriptedPrompts.h"
#include "TestSettings.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QTest>
#include <QToolButton>

// A tool run as the IDE makes it: the window stays alive with the animation and a Cancel button,
// the user's input waits, and Esc or Cancel stop a tool that would never end.
class tst_ToolRunSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aToolThatNeverEndsIsStopped_data();
    void aToolThatNeverEndsIsStopped();
    void escStaysPromptWhileAToolFloodsItsOutput();
    void messagesComeOnceTheAnimationIsGone();
    void oneRunAtATime();

private:
    std::optional<TestSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    BuildState m_state; // the frame's
    DocWindowStub *m_doc = nullptr;
};

void tst_ToolRunSession::init()
{
    m_settings.emplace();
    m_state = BuildState();
    FakeTool::script({});
    m_frame = std::make_unique<CMainFrame>();
    m_doc = new DocWindowStub;
    m_frame->mdiArea()->addSubWindow(m_doc);
    m_frame->show();
    QApplication::setActiveWindow(m_frame.get());
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    m_doc->show();
    m_frame->mdiArea()->setActiveSubWindow(m_doc);
    m_doc->editor->setFocus();
}

void tst_ToolRunSession::cleanup()
{
    m_frame.reset();
    m_settings.reset();
}

void tst_ToolRunSession::aToolThatNeverEndsIsStopped_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Esc") << true;
    QTest::newRow("Cancel button") << false;
}

void tst_ToolRunSession::aToolThatNeverEndsIsStopped()
{
    QFETCH(bool, byEscape);
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    FakeTool::script("out \\r\\nworking\\r\\n\nsleep");
    QLabel *busyPane = m_frame->statusLine()->pane(CStatusLine::BusyPane);
    const bool viewBarShown = !m_frame->viewBar()->isHidden();

    ToolRunner runner;
    BusyIndicator animation;
    ToolRunSession session(m_frame.get(), &m_state, &animation);
    bool animating = false;
    bool busy = false;
    bool closed = true;
    QString typed = QStringLiteral("<not reached>");
    connect(&runner, &ToolRunner::outputReceived, this, [&] {
        if (!typed.startsWith('<'))
            return;
        animating = animation.isRunning() && busyPane->findChild<QWidget *>("busy");
        busy = m_state.isBusy();
        // Keys, clicks and the window's close all wait for the tool.
        QTest::keyClicks(m_doc->editor, "typed");
        QTest::mouseClick(m_doc->editor->viewport(), Qt::LeftButton);
        closed = m_frame->close();
        typed = m_doc->editor->toPlainText();
        QToolButton *cancel = session.cancelButton();
        QVERIFY(cancel && cancel->isVisible() && busyPane->isAncestorOf(cancel));
        if (byEscape)
            QTest::keyClick(m_doc->editor, Qt::Key_Escape);
        else
            QTest::mouseClick(cancel, Qt::LeftButton);
    });
    const int result = session.run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString()))
                           .code;

    QCOMPARE(result, int(ToolRunner::WaitFailed)); // its message is the runner test's
    QVERIFY(animating && busy);
    QVERIFY(!closed && m_frame->isVisible());
    QCOMPARE(typed, QString());
    // Esc stopped the tool and did not also hide the output.
    QCOMPARE(!m_frame->viewBar()->isHidden(), viewBarShown);

    QVERIFY(!animation.isRunning() && !session.cancelButton() && !m_state.isBusy());
    QTest::keyClicks(m_doc->editor, "after");
    QCOMPARE(m_doc->editor->toPlainText(), QStringLiteral("after"));
}

void tst_ToolRunSession::escStaysPromptWhileAToolFloodsItsOutput()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    FakeTool::script("flood");
    ToolRunner runner;
    ToolRunSession session(m_frame.get(), &m_state, nullptr);
    qint64 received = 0;
    QElapsedTimer sincePressed;
    connect(&runner, &ToolRunner::outputReceived, this, [&](const QByteArray &chunk) {
        received += chunk.size();
        // Far past what is kept; the key goes through the event loop as a real one would.
        if (received > 64 * 1024 * 1024 && !sincePressed.isValid()) {
            sincePressed.start();
            QCoreApplication::postEvent(m_doc->editor,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
        }
    });
    const int result = session.run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString()))
                           .code;
    QCOMPARE(result, int(ToolRunner::WaitFailed));
    QVERIFY(sincePressed.isValid());
    QVERIFY2(sincePressed.elapsed() < 2000, qPrintable(QString::number(sincePressed.elapsed())));
}

namespace {

// Notes what the status line shows while each message is up.
class ObservingPrompts final : public Prompts
{
public:
    std::function<void()> onMessage;
    PromptAnswer message(const QString &, PromptButtons, PromptIcon, const QString &) override
    {
        onMessage();
        return PromptAnswer::Ok;
    }
    QStringList openFiles(const FileDialogRequest &) override { return {}; }
    QString saveFile(const FileDialogRequest &) override { return {}; }
    QString folder(const QString &, const QString &) override { return {}; }
    std::optional<QFont> font(const QFont &, const QString &) override { return {}; }
    std::optional<QColor> colour(const QColor &, const QString &) override { return {}; }
};

} // namespace

void tst_ToolRunSession::messagesComeOnceTheAnimationIsGone()
{
    FakeTool::script("exit 0"); // silent: the redirection failure is reported
    ToolRunner runner;
    BusyIndicator animation;
    ToolRunSession session(m_frame.get(), &m_state, &animation);
    QStringList seen;
    ObservingPrompts prompts;
    prompts.onMessage = [&] {
        seen << QStringLiteral("%1 %2").arg(animation.isRunning()).arg(bool(session.cancelButton()));
    };
    Prompts::setInstance(&prompts);
    const int result = session.run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString()))
                           .code;
    Prompts::setInstance(nullptr);
    QCOMPARE(result, int(ToolRunner::ReadFailed));
    QCOMPARE(seen, QStringList{"0 0"});
}

void tst_ToolRunSession::oneRunAtATime()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    FakeTool::script("out x\nsleep");
    ToolRunner first;
    ToolRunner second;
    ToolRunSession outer(m_frame.get(), &m_state, nullptr);
    int inner = -1;
    connect(&first, &ToolRunner::outputReceived, this, [&] {
        if (inner != -1)
            return;
        ToolRunSession nested(m_frame.get(), &m_state, nullptr);
        inner = nested.run(second, ToolRequest::assembler(FakeTool::path(), {}, QString())).code;
        outer.cancel();
    });
    QCOMPARE(outer.run(first, ToolRequest::assembler(FakeTool::path(), {}, QString())).code,
             int(ToolRunner::WaitFailed));
    QCOMPARE(inner, int(ToolRunner::NoResult));
    QVERIFY(!second.isRunning());
    QVERIFY(!m_state.isBusy());
}

QTEST_MAIN(tst_ToolRunSession)
#include "tst_toolrunsession.moc"
