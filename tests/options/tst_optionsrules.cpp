#include "TestSettings.h"
#include "base/SettingsStore.h"
#include "options/ColoursPageModel.h"
#include "options/ConfigurationOptions.h"
#include "options/DocumentProperties.h"
#include "options/EditorAttributes.h"
#include "options/StartupDocumentChoice.h"
#include "options/TipOfTheDay.h"
#include "options/WebAddresses.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The rules behind the option pages and dialogs, without a window.
class tst_OptionsRules : public QObject
{
    Q_OBJECT

private slots:
    void colourTable_data();
    void colourTable();
    void storedColourDefaults_data();
    void storedColourDefaults();
    void customColour_data();
    void customColour();
    void caseInsensitiveTakesMemberPopupAlong();
    void attributesRoundTrip();
    void startupDocumentChoice_data();
    void startupDocumentChoice();
    void tabsValidation_data();
    void tabsValidation();
    void tabsFromDistance_data();
    void tabsFromDistance();
    void propertiesTexts();
    void homeUrlSlash_data();
    void homeUrlSlash();
    void toolsFolderSeparator_data();
    void toolsFolderSeparator();
    void configurationDefaults();
    void webPages();
    void tipIndex_data();
    void tipIndex();
    void tipSteps();
};

void tst_OptionsRules::colourTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    const struct
    {
        const char *name;
        QColor colour;
    } rows[] = {{"black", QColor(0, 0, 0)},
                {"bright red", QColor(255, 0, 0)},
                {"bright green", QColor(0, 255, 0)},
                {"light brown", QColor(166, 42, 42)},
                {"bright blue", QColor(0, 0, 255)},
                {"purple", QColor(255, 0, 255)},
                {"bright cyan", QColor(0, 255, 255)},
                {"gray", QColor(192, 192, 192)},
                {"light gray", QColor(84, 84, 84)},
                {"red", QColor(136, 0, 0)},
                {"green", QColor(0, 136, 0)},
                {"yellow", QColor(255, 255, 0)},
                {"blue", QColor(0, 0, 136)},
                {"magenta", QColor(136, 0, 136)},
                {"cyan", QColor(0, 136, 136)},
                {"custom color", QColor(255, 255, 255)}};
    for (int i = 0; i < 16; ++i)
        QTest::newRow(rows[i].name) << i << QString::fromLatin1(rows[i].name) << rows[i].colour;
}

void tst_OptionsRules::colourTable()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QCOMPARE(SyntaxColours::standardName(index), name);
    QCOMPARE(SyntaxColours::fromColorRef(SyntaxColours::standardColorRef(index)), colour);
}

void tst_OptionsRules::storedColourDefaults_data()
{
    QTest::addColumn<QVariant>("storedIndex");
    QTest::addColumn<QVariant>("storedRgb");
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    const QVariant none;
    QTest::newRow("nothing-stored-bright-green") << none << none << 2 << QColor(0, 255, 0);
    QTest::newRow("custom-index-without-colour-white")
        << QVariant(15) << none << 15 << QColor(255, 255, 255);
    QTest::newRow("custom-index-with-colour")
        << QVariant(15) << QVariant(0x00804020) << 15 << QColor(0x20, 0x40, 0x80);
    QTest::newRow("index-without-colour-table-colour")
        << QVariant(9) << none << 9 << QColor(136, 0, 0);
}

void tst_OptionsRules::storedColourDefaults()
{
    QFETCH(QVariant, storedIndex);
    QFETCH(QVariant, storedRgb);
    QFETCH(int, index);
    QFETCH(QColor, colour);
    TestSettings settings;
    if (storedIndex.isValid())
        settings.store().writeInt("Settings", "CRComment_indx", storedIndex.toInt());
    if (storedRgb.isValid())
        settings.store().writeInt("Settings", "CRComment_rgb", storedRgb.toInt());
    SyntaxColours colours;
    colours.load(settings.store());
    const ColoursPageModel page(colours);
    QCOMPARE(ColoursPageModel::categoryNames().first(), QString("Comments"));
    QCOMPARE(page.index(), index);
    QCOMPARE(page.colour(), colour);
}

void tst_OptionsRules::customColour_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QVariant>("answer"); // the colour dialog's, invalid: cancelled
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("asked");
    // Registers (row 3) start at 1, bright red.
    QTest::newRow("table-entry") << 12 << QVariant() << true << 12 << QColor(0, 0, 136) << false;
    QTest::newRow("custom-chosen")
        << 15 << QVariant(QColor(1, 2, 3)) << true << 15 << QColor(1, 2, 3) << true;
    QTest::newRow("custom-cancelled-keeps-previous")
        << 15 << QVariant() << false << 1 << QColor(255, 0, 0) << true;
    QTest::newRow("past-the-table") << 16 << QVariant() << false << 1 << QColor(255, 0, 0) << false;
}

void tst_OptionsRules::customColour()
{
    QFETCH(int, choice);
    QFETCH(QVariant, answer);
    QFETCH(bool, taken);
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QFETCH(bool, asked);
    ColoursPageModel page;
    page.selectCategory(3);
    QCOMPARE(ColoursPageModel::categoryAt(3), SyntaxColours::Registers);
    bool wasAsked = false;
    QCOMPARE(page.choose(choice,
                         [&]() -> std::optional<QColor> {
                             wasAsked = true;
                             if (!answer.isValid())
                                 return std::nullopt;
                             return answer.value<QColor>();
                         }),
             taken);
    QCOMPARE(wasAsked, asked);
    QCOMPARE(page.changed(), taken);
    QCOMPARE(page.index(), index);
    QCOMPARE(page.colour(), colour);
    // The other categories are untouched.
    QCOMPARE(page.colours().index(SyntaxColours::Comments), 2);
}

void tst_OptionsRules::caseInsensitiveTakesMemberPopupAlong()
{
    EditorAttributes a;
    a.caseInsensitive = a.memberPopup = true;
    a.setCaseInsensitive(false);
    QVERIFY(!a.memberPopup);
    a.setCaseInsensitive(true);
    QVERIFY(!a.memberPopup); // not ticked again
    a.memberPopup = true;
    a.setCaseInsensitive(true);
    QVERIFY(a.memberPopup);
}

void tst_OptionsRules::attributesRoundTrip()
{
    TestSettings settings;
    QCOMPARE(EditorAttributes::load(settings.store()).formatting, false);
    EditorAttributes a;
    a.formatting = a.hideBuildWindow = true;
    a.save(settings.store());
    QCOMPARE(settings.store().readInt("Settings", "useformatting", -1), 1);
    QCOMPARE(settings.store().readInt("Settings", "buildwin", -1), 1);
    QCOMPARE(settings.store().readInt("Settings", "colorcase_insensitive", -1), 0);
    QCOMPARE(settings.store().readInt("Settings", "usememberpopup", -1), 0);
    const EditorAttributes back = EditorAttributes::load(settings.store());
    QVERIFY(back.formatting && back.hideBuildWindow && !back.caseInsensitive && !back.memberPopup);
}

void tst_OptionsRules::startupDocumentChoice_data()
{
    QTest::addColumn<int>("loadws");
    QTest::addColumn<int>("empty");
    QTest::addColumn<bool>("load");
    QTest::addColumn<bool>("emptyTemplate");
    QTest::newRow("neither") << 0 << 0 << false << false;
    QTest::newRow("loadws-only") << 1 << 0 << true << false;
    QTest::newRow("empty-only") << 0 << 1 << false << true;
    QTest::newRow("both-reads-as-neither") << 1 << 1 << false << false;
}

void tst_OptionsRules::startupDocumentChoice()
{
    QFETCH(int, loadws);
    QFETCH(int, empty);
    QFETCH(bool, load);
    QFETCH(bool, emptyTemplate);
    TestSettings settings;
    settings.store().writeInt("Settings", "loadws", loadws);
    settings.store().writeInt("Settings", "empty", empty);
    StartupDocumentChoice c = StartupDocumentChoice::load(settings.store());
    QCOMPARE(c.loadWorkspace, load);
    QCOMPARE(c.emptyTemplate, emptyTemplate);
    // A checked box leaves only itself enabled; none checked enables both.
    QCOMPARE(c.loadWorkspaceEnabled(), !emptyTemplate);
    QCOMPARE(c.emptyTemplateEnabled(), !load);
    c.save(settings.store());
    QCOMPARE(settings.store().readInt("Settings", "loadws", -1), int(load));
    QCOMPARE(settings.store().readInt("Settings", "empty", -1), int(emptyTemplate));
}

void tst_OptionsRules::tabsValidation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tabs"); // 0: refused
    QTest::newRow("zero-refused") << "0" << 0;
    QTest::newRow("one-lowest") << "1" << 1;
    QTest::newRow("eight") << "8" << 8;
    QTest::newRow("sixteen-highest") << "16" << 16;
    QTest::newRow("seventeen-refused") << "17" << 0;
    QTest::newRow("negative-refused") << "-3" << 0;
    QTest::newRow("not-a-number") << "four" << 0;
    QTest::newRow("fraction-refused") << "4.5" << 0;
    QTest::newRow("empty-refused") << "" << 0;
    QTest::newRow("spaces-around") << " 4 " << 4;
}

void tst_OptionsRules::tabsValidation()
{
    QFETCH(QString, text);
    QFETCH(int, tabs);
    QCOMPARE(DocumentProperties::parseTabs(text).value_or(0), tabs);
}

void tst_OptionsRules::tabsFromDistance_data()
{
    QTest::addColumn<qreal>("distance");
    QTest::addColumn<qreal>("cell");
    QTest::addColumn<int>("tabs");
    QTest::newRow("exact") << 64.0 << 8.0 << 8;
    QTest::newRow("rounding-error-below") << 23.99999999 << 8.0 << 3;
    QTest::newRow("part-cell-dropped") << 20.0 << 8.0 << 2;
    QTest::newRow("fractional-cell") << 7.2 * 4 << 7.2 << 4;
}

void tst_OptionsRules::tabsFromDistance()
{
    QFETCH(qreal, distance);
    QFETCH(qreal, cell);
    QFETCH(int, tabs);
    QCOMPARE(DocumentProperties::tabsFromDistance(distance, cell), tabs);
}

void tst_OptionsRules::propertiesTexts()
{
    QCOMPARE(DocumentProperties::fileNameText("", "Untitled1.asm"), QString("Untitled1.asm"));
    QCOMPARE(DocumentProperties::fileNameText("/a/b.asm", "b.asm"), QString("/a/b.asm"));
    QCOMPARE(DocumentProperties::sizeText(1234, 56), QString("1234 Bytes (56 lines)"));
    QCOMPARE(DocumentProperties::timeText(QDateTime(QDate(2026, 1, 5), QTime(14, 3, 9))),
             QString("Monday 05 Jan 2026 at 14:03:09"));
    QCOMPARE(DocumentProperties::savedText("", false), QString());
    QCOMPARE(DocumentProperties::savedText("", true), QString(" (modified)"));

    QTemporaryDir dir;
    const QString path = dir.filePath("a.asm");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QDateTime stamp(QDate(2025, 12, 31), QTime(23, 59, 58));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(DocumentProperties::savedText(path, true),
             QString("Wednesday 31 Dec 2025 at 23:59:58 (modified)"));
    QCOMPARE(DocumentProperties::savedText(dir.filePath("gone.asm"), false), QString());

    TestSettings settings;
    QVERIFY(DocumentProperties::tabsToSpaces(settings.store()));
    DocumentProperties::save(settings.store(), 8, false);
    QCOMPARE(settings.store().readInt("Settings", "tabstops", 0), 8);
    QCOMPARE(settings.store().readInt("Settings", "tabstospaces", -1), 0);
}

void tst_OptionsRules::homeUrlSlash_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("stored");
    QTest::newRow("slash-added") << "http://example.org/qv"
                                 << "http://example.org/qv/";
    QTest::newRow("slash-kept") << "http://example.org/"
                                << "http://example.org/";
    QTest::newRow("empty-becomes-slash") << ""
                                         << "/";
}

void tst_OptionsRules::homeUrlSlash()
{
    QFETCH(QString, entered);
    QFETCH(QString, stored);
    TestSettings settings;
    ConfigurationOptions options{entered, "/opt/tools/"};
    options.save(settings.store());
    QCOMPARE(settings.store().readString("Configuration", "home_url"), stored);
}

void tst_OptionsRules::toolsFolderSeparator_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("stored");
    QTest::newRow("separator-added") << "/opt/tools"
                                     << "/opt/tools/";
    QTest::newRow("separator-kept") << "/opt/tools/"
                                    << "/opt/tools/";
    QTest::newRow("empty-stays-empty") << ""
                                       << "";
    QTest::newRow("backslash-is-a-name-here") << "dos\\"
                                              << "dos\\/";
}

void tst_OptionsRules::toolsFolderSeparator()
{
    QFETCH(QString, entered);
    QFETCH(QString, stored);
    TestSettings settings;
    ConfigurationOptions options{"http://x/", entered};
    options.save(settings.store());
    QCOMPARE(settings.store().readString("Configuration", "tools_dir", "unset"), stored);
}

void tst_OptionsRules::configurationDefaults()
{
    TestSettings settings;
    ConfigurationOptions options = ConfigurationOptions::load(settings.store(), "/usr/lib/qv");
    QCOMPARE(options.homeUrl, QString::fromLatin1(WebAddresses::HomeUrl));
    QVERIFY(options.homeUrl.endsWith('/'));
    QCOMPARE(options.toolsDir, QString("/usr/lib/qv/tools/"));
    QCOMPARE(ConfigurationOptions::load(settings.store(), "/usr/lib/qv/").toolsDir,
             QString("/usr/lib/qv/tools/"));
    settings.store().writeString("Configuration", "tools_dir", "");
    QCOMPARE(ConfigurationOptions::load(settings.store(), "/x").toolsDir, QString());
}

void tst_OptionsRules::webPages()
{
    TestSettings settings;
    // No setting: the page name alone.
    QCOMPARE(WebAddresses::homeUrl(settings.store()), QString());
    QCOMPARE(WebAddresses::page(WebAddresses::homeUrl(settings.store()), "index.htm").toString(),
             QString("index.htm"));
    QCOMPARE(WebAddresses::page("http://example.org/qv/", "quillvane.htm").toString(),
             QString("http://example.org/qv/quillvane.htm"));
    QCOMPARE(WebAddresses::onlineHelp().toString(),
             QString::fromLatin1(WebAddresses::HomeUrl) + "qvasmide/qvasmide_help.htm");
    QCOMPARE(WebAddresses::newsletter().scheme(), QString("mailto"));
    QCOMPARE(WebAddresses::newsletter().path(),
             QString::fromLatin1(WebAddresses::NewsletterAddress));
}

void tst_OptionsRules::tipIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("last") << 10 << 10;
    QTest::newRow("past-last-wraps") << 11 << 0;
    QTest::newRow("far-past-wraps") << 1000 << 0;
    QTest::newRow("negative-first") << -1 << 0;
}

void tst_OptionsRules::tipIndex()
{
    QFETCH(int, stored);
    QFETCH(int, shown);
    TestSettings settings;
    settings.store().writeInt("Settings", "tip_num", stored);
    QCOMPARE(TipOfTheDay::nextTip(settings.store()), TipOfTheDay::tip(shown));
    QCOMPARE(settings.store().readInt("Settings", "tip_num", -1), shown + 1);
}

void tst_OptionsRules::tipSteps()
{
    TestSettings settings;
    QStringList shown;
    for (int i = 0; i < 13; ++i)
        shown << TipOfTheDay::nextTip(settings.store());
    QVERIFY(shown.at(0).startsWith("This is a 'tip of the day'."));
    QVERIFY(shown.at(10).startsWith("This is the last tip page."));
    QCOMPARE(shown.at(11), shown.at(0));
    QCOMPARE(shown.at(12), shown.at(1));
    QVERIFY(TipOfTheDay::tip(11).isEmpty());

    QVERIFY(!TipOfTheDay::showAtStartup(settings.store()));
    TipOfTheDay::setShowAtStartup(settings.store(), true);
    QCOMPARE(settings.store().readInt("Settings", "tips", -1), 1);
}

QTEST_GUILESS_MAIN(tst_OptionsRules)
#include "tst_optionsrules.moc"
