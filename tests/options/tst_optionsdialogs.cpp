#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "base/ShellOpen.h"
#include "editor/CQvasmDoc.h"
#include "editor/EditorSettings.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/CSyntaxColorer.h"
#include "editor/ui/EditorAids.h"
#include "frame/CommandRouter.h"
#include "options/TipOfTheDay.h"
#include "options/WebAddresses.h"
#include "options/ui/CAboutDlg.h"
#include "options/ui/CConfigOptionsDlg.h"
#include "options/ui/CEdOpt1.h"
#include "options/ui/CEditorPropsSheet.h"
#include "options/ui/CPropertiesSheet.h"
#include "options/ui/CPropsGen.h"
#include "options/ui/CTipOfDayDlg.h"
#include "options/ui/CVersionCheckDlg.h"
#include "options/ui/OptionsCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {
template<typename T>
T *child(QWidget *parent, int id)
{
    return parent->findChild<T *>(QStringLiteral("ctl_%1").arg(id));
}

void click(QWidget *parent, int id)
{
    child<QAbstractButton>(parent, id)->click();
}
} // namespace

// The option sheets and dialogs as the user meets them, and the commands that open them.
class tst_OptionsDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void colorsPageDefaults();
    void colorsPageCustomColour_data();
    void colorsPageCustomColour();
    void attributesPageMemberPopup();
    void documentPageAtMostOne();
    void sheetWritesOnlyShownPages_data();
    void sheetWritesOnlyShownPages();
    void editorPropertiesRecolours();
    void propertiesPage();
    void propertiesRefusesBadTabs_data();
    void propertiesRefusesBadTabs();
    void propertiesAppliesTabs();
    void configurationOptions_data();
    void configurationOptions();
    void tipOfTheDay();
    void webLinks_data();
    void webLinks();
    void checkVersionAsksFirst();
    void versionDialogFillsFields();
    void versionDialogServerSilent();
    void versionDialogLeavesByEscapeAndCloseBox_data();
    void versionDialogLeavesByEscapeAndCloseBox();

private:
    std::unique_ptr<DocumentFixture> m_fixture;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    OptionsCommands *m_commands = nullptr;
    QList<SyntaxColours> m_applied;
    QList<QUrl> m_opened;
};

void tst_OptionsDialogs::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_applied.clear();
    m_opened.clear();
    new EditorAids(m_fixture->frame.get());
    m_commands = new OptionsCommands(
        m_fixture->frame.get(),
        m_fixture->appCommands,
        [this](const SyntaxColours &c) {
            m_applied << c;
            if (auto *colorer = m_fixture->frame->findChild<CSyntaxColorer *>())
                colorer->applyColours(c);
        },
        "/opt/qv");
    ShellOpen::setOpener([this](const QUrl &url) {
        m_opened << url;
        return true;
    });
}

void tst_OptionsDialogs::cleanup()
{
    ShellOpen::setOpener(nullptr);
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join('|')));
    m_prompts.reset();
    m_fixture.reset();
}

void tst_OptionsDialogs::colorsPageDefaults()
{
    CEditorPropsSheet sheet(m_fixture->settings.store());
    auto *categories = child<QListWidget>(&sheet, 1001);
    QCOMPARE(categories->count(), 6);
    QCOMPARE(categories->currentItem()->text(), QString("Comments"));
    QCOMPARE(categories->item(4)->text(), QString("Strings"));
    QCOMPARE(child<QComboBox>(&sheet, 1002)->currentText(), QString("bright green"));
    QCOMPARE(child<QComboBox>(&sheet, 1002)->count(), 16);
    QCOMPARE(child<QPlainTextEdit>(&sheet, 1019)->palette().color(QPalette::Text),
             QColor(0, 255, 0));
    categories->setCurrentRow(3); // Registers
    QCOMPARE(child<QComboBox>(&sheet, 1002)->currentText(), QString("bright red"));
    QCOMPARE(child<QPlainTextEdit>(&sheet, 1019)->palette().color(QPalette::Text),
             QColor(255, 0, 0));
}

void tst_OptionsDialogs::colorsPageCustomColour_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("sample");
    QTest::newRow("cancelled-puts-previous-back") << true << "bright green" << QColor(0, 255, 0);
    QTest::newRow("chosen") << false << "custom color" << QColor(10, 20, 30);
}

void tst_OptionsDialogs::colorsPageCustomColour()
{
    QFETCH(bool, cancel);
    QFETCH(QString, shown);
    QFETCH(QColor, sample);
    m_prompts->answerColour(cancel ? std::nullopt : std::optional<QColor>(QColor(10, 20, 30)));
    CEdOpt1 page{SyntaxColours()};
    auto *table = child<QComboBox>(&page, 1002);
    table->setCurrentIndex(15);
    emit table->activated(15);
    QCOMPARE(table->currentText(), shown);
    QCOMPARE(child<QPlainTextEdit>(&page, 1019)->palette().color(QPalette::Text), sample);
    QCOMPARE(page.colours().colour(SyntaxColours::Comments), sample);
    QCOMPARE(page.changed(), !cancel);
    QCOMPARE(m_prompts->asked().size(), 1);
}

void tst_OptionsDialogs::attributesPageMemberPopup()
{
    m_fixture->settings.store().writeInt("Settings", "colorcase_insensitive", 1);
    m_fixture->settings.store().writeInt("Settings", "usememberpopup", 1);
    CEditorPropsSheet sheet(m_fixture->settings.store());
    auto *caseBox = child<QCheckBox>(&sheet, 1020);
    auto *popup = child<QCheckBox>(&sheet, 1021);
    QVERIFY(caseBox->isChecked() && popup->isChecked());
    caseBox->click();
    QVERIFY(!popup->isChecked());
    caseBox->click();
    QVERIFY(caseBox->isChecked());
    QVERIFY(!popup->isChecked());
}

void tst_OptionsDialogs::documentPageAtMostOne()
{
    m_fixture->settings.store().writeInt("Settings", "loadws", 1);
    m_fixture->settings.store().writeInt("Settings", "empty", 1);
    CEditorPropsSheet sheet(m_fixture->settings.store());
    auto *load = child<QCheckBox>(&sheet, 1039);
    auto *empty = child<QCheckBox>(&sheet, 1040);
    QVERIFY(!load->isChecked() && !empty->isChecked());
    QVERIFY(load->isEnabled() && empty->isEnabled());
    load->click();
    QVERIFY(load->isChecked());
    QVERIFY(!empty->isEnabled());
    load->click();
    QVERIFY(load->isEnabled() && empty->isEnabled());
}

void tst_OptionsDialogs::sheetWritesOnlyShownPages_data()
{
    QTest::addColumn<QList<int>>("visited");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("colours");
    QTest::addColumn<bool>("attributes");
    QTest::addColumn<bool>("document");
    QTest::newRow("colors-only") << QList<int>{} << true << true << false << false;
    QTest::newRow("attributes-visited") << QList<int>{1, 0} << true << true << true << false;
    QTest::newRow("all-visited") << QList<int>{1, 2} << true << true << true << true;
    QTest::newRow("cancel-writes-nothing") << QList<int>{1, 2} << false << false << false << false;
}

void tst_OptionsDialogs::sheetWritesOnlyShownPages()
{
    QFETCH(QList<int>, visited);
    QFETCH(bool, ok);
    QFETCH(bool, colours);
    QFETCH(bool, attributes);
    QFETCH(bool, document);
    ModalDriver<CEditorPropsSheet> driver([visited, ok](CEditorPropsSheet *sheet) {
        for (int page : visited)
            sheet->tabs()->setCurrentIndex(page);
        click(sheet, ok ? 1 : 2);
    });
    m_fixture->frame->router().dispatch(ID_EDITOR_PROPERTIES);
    QVERIFY(driver.done() && !driver.failed());
    const SettingsStore &store = m_fixture->settings.store();
    QCOMPARE(store.contains("Settings", "CRSymbols_rgb"), colours);
    QCOMPARE(store.contains("Settings", "useformatting"), attributes);
    QCOMPARE(store.contains("Settings", "loadws"), document);
    QCOMPARE(m_applied.size(), ok ? 1 : 0);
}

void tst_OptionsDialogs::editorPropertiesRecolours()
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(
        m_fixture->write("a.asm", "; note\r\nmov ax, bx\r\n"));
    QVERIFY(doc);
    ModalDriver<CEditorPropsSheet> driver([](CEditorPropsSheet *sheet) {
        // Comments in blue, formatting on.
        auto *table = child<QComboBox>(sheet, 1002);
        table->setCurrentIndex(12);
        emit table->activated(12);
        sheet->tabs()->setCurrentIndex(1);
        child<QCheckBox>(sheet, 1022)->setChecked(true);
        click(sheet, 1);
    });
    m_fixture->frame->router().dispatch(ID_EDITOR_PROPERTIES);
    QVERIFY(driver.done() && !driver.failed());
    QVERIFY(ProgramValues::instance().formatting);
    QCOMPARE(m_fixture->settings.store().readInt("Settings", "CRComment_indx", 0), 12);
    auto *colorer = m_fixture->frame->findChild<CSyntaxColorer *>();
    QCOMPARE(colorer->colours().colour(SyntaxColours::Comments), QColor(0, 0, 136));
    // The open editor shows the comment in the new colour at once.
    CQvasmView *view = CChildFrame::viewOf(doc);
    QTRY_VERIFY([&] {
        const QTextBlock first = view->document()->firstBlock();
        const QList<QTextLayout::FormatRange> formats = first.layout()->formats();
        return !formats.isEmpty()
               && formats.first().format.foreground().color() == QColor(0, 0, 136);
    }());
}

void tst_OptionsDialogs::propertiesPage()
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(
        m_fixture->write("b.asm", "mov ax, bx\r\nret\r\n"));
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->textCursor().insertText("x");
    m_fixture->settings.store().writeInt("Settings", "tabstospaces", 0);
    CPropertiesSheet sheet(*view, m_fixture->settings.store());
    QCOMPARE(child<QLineEdit>(&sheet, 1025)->text(), doc->GetPathName());
    QCOMPARE(child<QLineEdit>(&sheet, 1027)->text(),
             QString("%1 Bytes (3 lines)").arg(view->document()->characterCount() - 1));
    QVERIFY(child<QLineEdit>(&sheet, 1028)
                ->text()
                .endsWith(" at " + QFileInfo(doc->GetPathName()).lastModified().toString("HH:mm:ss")
                          + " (modified)"));
    QCOMPARE(child<QLineEdit>(&sheet, 1029)->text(),
             QString::number(EditorSettings::DefaultTabStops));
    QVERIFY(!child<QCheckBox>(&sheet, 1098)->isChecked());

    // Untitled: the title, and no time.
    m_fixture->modifiers = Qt::ShiftModifier; // no kind dialog
    m_fixture->documents->newDocument();
    CQvasmView *untitled = CChildFrame::viewOf(m_fixture->documents->activeDocument());
    CPropertiesSheet second(*untitled, m_fixture->settings.store());
    QCOMPARE(child<QLineEdit>(&second, 1025)->text(), untitled->GetDocument()->GetTitle());
    QCOMPARE(child<QLineEdit>(&second, 1028)->text(), QString());
}

void tst_OptionsDialogs::propertiesRefusesBadTabs_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << "0";
    QTest::newRow("seventeen") << "17";
    QTest::newRow("not-a-number") << "x";
}

void tst_OptionsDialogs::propertiesRefusesBadTabs()
{
    QFETCH(QString, text);
    CQvasmDoc *doc = m_fixture->documents->openDocument(m_fixture->write("c.asm", "\tret\r\n"));
    CQvasmView *view = CChildFrame::viewOf(doc);
    const qreal before = view->tabStopDistance();
    m_prompts->answerMessage(PromptAnswer::Ok);
    bool stayedOpen = false;
    ModalDriver<CPropertiesSheet> driver([&](CPropertiesSheet *sheet) {
        child<QLineEdit>(sheet, 1029)->setText(text);
        click(sheet, 1);
        stayedOpen = sheet->isVisible();
        click(sheet, 2);
    });
    m_fixture->frame->router().dispatch(ID_PROPERTIES);
    QVERIFY(driver.done() && !driver.failed());
    QVERIFY(stayedOpen);
    QCOMPARE(m_prompts->messagesAsked(), QStringList{"Please enter an integer between 1 and 16."});
    QCOMPARE(view->tabStopDistance(), before);
    QVERIFY(!m_fixture->settings.store().contains("Settings", "tabstops"));
}

void tst_OptionsDialogs::propertiesAppliesTabs()
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(m_fixture->write("d.asm", "\tret\r\n"));
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->setSelection(1, 3);
    ModalDriver<CPropertiesSheet> driver([](CPropertiesSheet *sheet) {
        child<QLineEdit>(sheet, 1029)->setText("8");
        click(sheet, 1);
    });
    m_fixture->frame->router().dispatch(ID_PROPERTIES);
    QVERIFY(driver.done() && !driver.failed());
    QCOMPARE(view->tabStopDistance(),
             EditorSettings::tabStopDistance(view->document()->defaultFont(), 8));
    QCOMPARE(view->textCursor().anchor(), 1);
    QCOMPARE(view->textCursor().position(), 3);
    QCOMPARE(m_fixture->settings.store().readInt("Settings", "tabstops", 0), 8);
    QCOMPARE(m_fixture->settings.store().readInt("Settings", "tabstospaces", -1), 1);
}

void tst_OptionsDialogs::configurationOptions_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("folderChosen"); // empty: the browser cancelled
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("storedUrl");
    QTest::addColumn<QString>("storedTools");
    QTest::newRow("browsed-and-slashes-added") << "http://example.org/qv"
                                               << "/srv/tools" << true << "http://example.org/qv/"
                                               << "/srv/tools/";
    QTest::newRow("browser-cancelled-keeps-field") << "http://example.org/"
                                                   << "" << true << "http://example.org/"
                                                   << "/opt/qv/tools/";
    QTest::newRow("cancel-writes-nothing") << "http://edited/"
                                           << "/srv/x" << false << "unset"
                                           << "unset";
}

void tst_OptionsDialogs::configurationOptions()
{
    QFETCH(QString, url);
    QFETCH(QString, folderChosen);
    QFETCH(bool, ok);
    QFETCH(QString, storedUrl);
    QFETCH(QString, storedTools);
    m_prompts->answerFolder(folderChosen);
    QString startFolder;
    ModalDriver<CConfigOptionsDlg> driver([&](CConfigOptionsDlg *dialog) {
        QCOMPARE(child<QLineEdit>(dialog, 1076)->text(), QString::fromLatin1(WebAddresses::HomeUrl));
        child<QLineEdit>(dialog, 1076)->setText(url);
        click(dialog, 1080);
        startFolder = child<QLineEdit>(dialog, 1077)->text();
        click(dialog, ok ? 1 : 2);
    });
    m_fixture->frame->router().dispatch(ID_SPECIAL_CONFIGURATION);
    QVERIFY(driver.done() && !driver.failed());
    QCOMPARE(m_prompts->asked().first().text, QString("Select a Starting Directory"));
    QCOMPARE(m_prompts->asked().first().file.directory, QString("/opt/qv/tools/"));
    const SettingsStore &store = m_fixture->settings.store();
    QCOMPARE(store.readString("Configuration", "home_url", "unset"), storedUrl);
    QCOMPARE(store.readString("Configuration", "tools_dir", "unset"), storedTools);
}

void tst_OptionsDialogs::tipOfTheDay()
{
    SettingsStore &store = m_fixture->settings.store();
    store.writeInt("Settings", "tip_num", 10);
    store.writeInt("Settings", "tips", 1);
    QStringList shown;
    ModalDriver<CTipOfDayDlg> driver([&](CTipOfDayDlg *dialog) {
        QVERIFY(child<QCheckBox>(dialog, 1044)->isChecked());
        shown << dialog->tipText();
        click(dialog, 1043);
        shown << dialog->tipText();
        click(dialog, 1044); // cleared: written at once
        click(dialog, 2);
    });
    m_fixture->frame->router().dispatch(ID_HELP_TIP_OF_THE_DAY);
    QVERIFY(driver.done() && !driver.failed());
    QCOMPARE(shown.at(0), TipOfTheDay::tip(10).remove('\r'));
    QCOMPARE(shown.at(1), TipOfTheDay::tip(0).remove('\r'));
    QCOMPARE(store.readInt("Settings", "tip_num", -1), 1);
    QCOMPARE(store.readInt("Settings", "tips", -1), 0);
    // Help > Tip of the Day opens it all the same.
    ModalDriver<CTipOfDayDlg> again([](CTipOfDayDlg *dialog) { dialog->reject(); });
    m_fixture->frame->router().dispatch(ID_HELP_TIP_OF_THE_DAY);
    QVERIFY(again.done() && !again.failed());
    QCOMPARE(store.readInt("Settings", "tip_num", -1), 2);
}

void tst_OptionsDialogs::webLinks_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("url");
    const QString site = QString::fromLatin1(WebAddresses::HomeUrl);
    QTest::newRow("maker") << int(ID_INTERNET_MAKER) << "http://example.org/qv/"
                           << "http://example.org/qv/index.htm";
    QTest::newRow("news") << int(ID_INTERNET_NEWS) << "http://example.org/qv/"
                          << "http://example.org/qv/quillvane.htm";
    QTest::newRow("download") << int(ID_INTERNET_DOWNLOAD) << "http://example.org/qv/"
                              << "http://example.org/qv/quillvane.htm";
    QTest::newRow("no-home-page-name-alone") << int(ID_INTERNET_MAKER) << QString() << "index.htm";
    QTest::newRow("newsletter-mailto")
        << int(ID_INTERNET_NEWSLETTER) << "http://example.org/"
        << "mailto:" + QString::fromLatin1(WebAddresses::NewsletterAddress);
    QTest::newRow("online-help-ignores-home")
        << int(ID_HELP_ONLINE) << "http://example.org/" << site + "qvasmide/qvasmide_help.htm";
}

void tst_OptionsDialogs::webLinks()
{
    QFETCH(int, id);
    QFETCH(QString, home);
    QFETCH(QString, url);
    if (!home.isNull())
        m_fixture->settings.store().writeString("Configuration", "home_url", home);
    m_fixture->frame->requestCommandUpdate();
    QVERIFY(m_fixture->frame->router().isEnabled(id));
    QVERIFY(m_fixture->frame->router().dispatch(id));
    QCOMPARE(m_opened, QList<QUrl>{QUrl(url)});

    // The about box's page is the project's own, whatever the home URL says.
    m_opened.clear();
    CAboutDlg about;
    click(&about, 1069);
    QCOMPARE(m_opened, QList<QUrl>{WebAddresses::aboutPage()});
}

void tst_OptionsDialogs::checkVersionAsksFirst()
{
    m_prompts->answerMessage(PromptAnswer::No);
    ModalDriver<CVersionCheckDlg> driver([](CVersionCheckDlg *dialog) { dialog->reject(); }, 300);
    m_fixture->frame->router().dispatch(ID_INTERNET_CHECK_VERSION);
    QCOMPARE(m_prompts->messagesAsked().size(), 1);
    QVERIFY(m_prompts->messagesAsked().first().startsWith(
        "This task connects to the internet and retreives data"));
    QCOMPARE(m_prompts->asked().first().buttons, PromptButtons::YesNo);
    QTRY_VERIFY(driver.done());
    QVERIFY(driver.failed()); // no dialog came
}

void tst_OptionsDialogs::versionDialogFillsFields()
{
    QDir(m_fixture->dir.path()).mkpath("docs");
    m_fixture->write("docs/versions.txt",
                     "qvasmide        00.24.3530 Dec 14 first release\r\n"
                     "QVASM           99.99.9901 Jan 99 capitals\r\n"
                     "qvasm           01.02\r\n");
    m_fixture->settings.store()
        .writeString("Configuration",
                     "home_url",
                     QUrl::fromLocalFile(m_fixture->dir.path() + "/").toString());
    m_prompts->answerMessage(PromptAnswer::Yes);
    QStringList fields;
    bool getInfoAfter = true;
    ModalDriver<CVersionCheckDlg> driver([&](CVersionCheckDlg *dialog) {
        QVERIFY(child<QPushButton>(dialog, 2)->isDefault());
        QVERIFY(!child<QCheckBox>(dialog, 1058)->isEnabled());
        click(dialog, 2);
        QTRY_VERIFY(!dialog->isFetching());
        for (int id : {1060, 1063, 1062, 1064})
            fields << child<QLineEdit>(dialog, id)->text();
        fields << child<QPlainTextEdit>(dialog, 1061)->toPlainText()
               << child<QPlainTextEdit>(dialog, 1065)->toPlainText();
        getInfoAfter = child<QPushButton>(dialog, 2)->isEnabled();
        QVERIFY(!dialog->findChild<QWidget *>("ctl_1072"));
        click(dialog, 1);
    });
    m_fixture->frame->router().dispatch(ID_INTERNET_CHECK_VERSION);
    QVERIFY(driver.done() && !driver.failed());
    QCOMPARE(fields, (QStringList{"00.24.35", "30 Dec 14", "01.02", "", " first release", ""}));
    QVERIFY(!getInfoAfter);
}

void tst_OptionsDialogs::versionDialogServerSilent()
{
    QTcpServer silent; // takes the connection, never answers
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    m_prompts->answerMessage(PromptAnswer::Ok);
    CVersionCheckDlg dialog(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    dialog.setTimeout(300);
    dialog.show();
    click(&dialog, 2);
    // While it waits the window goes on: the animation plays and the fields take input.
    auto *animation = dialog.findChild<QWidget *>("ctl_1072");
    QVERIFY(animation);
    QVERIFY(dialog.isFetching());
    QVERIFY(!child<QPushButton>(&dialog, 2)->isEnabled());
    QTRY_VERIFY(!dialog.isFetching());
    QCOMPARE(m_prompts->messagesAsked(),
             QStringList{"Could not establish a connection: 0x00000004"});
    QVERIFY(!dialog.findChild<QWidget *>("ctl_1072"));
    QVERIFY(child<QLineEdit>(&dialog, 1060)->text().isEmpty());
    QVERIFY(!child<QPushButton>(&dialog, 2)->isEnabled());
}

void tst_OptionsDialogs::versionDialogLeavesByEscapeAndCloseBox_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("escape-closes") << true;
    QTest::newRow("close-box-closes") << false;
}

void tst_OptionsDialogs::versionDialogLeavesByEscapeAndCloseBox()
{
    QFETCH(bool, escape);
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    CVersionCheckDlg dialog(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    bool fetchingWhenLeft = false;
    ModalDriver<CVersionCheckDlg> driver([&](CVersionCheckDlg *d) {
        click(d, 2);
        fetchingWhenLeft = d->isFetching();
        if (escape)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            d->close();
    });
    dialog.exec();
    QVERIFY(driver.done() && !driver.failed());
    QVERIFY(fetchingWhenLeft);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isFetching()); // the fetch went with it
}

QTEST_MAIN(tst_OptionsDialogs)
#include "tst_optionsdialogs.moc"
