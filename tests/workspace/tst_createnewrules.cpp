#include "workspace/CreateNewRules.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using Mode = CreateNewRules::Mode;
using Action = CreateNewRules::Outcome::Action;

Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Action)

class tst_CreateNewRules : public QObject
{
    Q_OBJECT

private slots:
    void fileNameCharacters_data();
    void fileNameCharacters();
    void locationFollowsTheName_data();
    void locationFollowsTheName();
    void okCompletesAndChecksTheNames_data();
    void okCompletesAndChecksTheNames();
    void missingLocationIsOfferedAndCreated();
    void baseFolderByMode();
};

void tst_CreateNewRules::fileNameCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");

    QTest::newRow("plain") << "main.asm" << true;
    QTest::newRow("underscore-digits") << "_x1.2" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "my file.asm" << false;
    QTest::newRow("hyphen") << "a-b.asm" << false;
    QTest::newRow("non-ascii-letter") << QString::fromUtf8("été.asm") << false;
    QTest::newRow("fullwidth-digit") << QString::fromUtf8("x\uFF11.asm") << false;
}

void tst_CreateNewRules::fileNameCharacters()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(CreateNewRules::isValidFileName(name), valid);
}

void tst_CreateNewRules::locationFollowsTheName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("touched");
    QTest::addColumn<bool>("follow");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("location"); // "-": left alone

    QTest::newRow("extension-dropped") << "hello.asm" << false << true << true << "/base/hello";
    QTest::newRow("first-dot-cuts") << "a.b.c" << false << true << true << "/base/a";
    QTest::newRow("leading-dot-kept") << ".asm" << false << true << true << "/base/.asm";
    QTest::newRow("only-dot-after-first") << "x." << false << true << true << "/base/x";
    QTest::newRow("empty-disables-ok") << "" << false << true << false << "/base/";
    QTest::newRow("dot-first-then-empty") << ".." << false << true << true << "/base/..";
    QTest::newRow("touched-stops-following") << "hello" << true << true << true << "-";
    QTest::newRow("file-mode-never-follows") << "hello" << false << false << true << "-";
}

void tst_CreateNewRules::locationFollowsTheName()
{
    QFETCH(QString, source);
    QFETCH(bool, touched);
    QFETCH(bool, follow);
    QFETCH(bool, okEnabled);
    QFETCH(QString, location);

    const auto step = CreateNewRules::nameStep(source, "/base/", touched, follow);
    QCOMPARE(step.okEnabled, okEnabled);
    QCOMPARE(step.replaceLocation, location != "-");
    if (step.replaceLocation)
        QCOMPARE(step.location, location);
}

void tst_CreateNewRules::okCompletesAndChecksTheNames_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("finalSource");
    QTest::addColumn<QString>("finalTarget");
    QTest::addColumn<QString>("message");

    const QString bad1 = "Filename contains illegal characters1.";
    const QString bad0 = "Filename contains illegal characters0.";
    QTest::newRow("asm-added-com-derived") << Mode::Project << 0 << "hello"
                                           << "" << Action::Accept << "hello.asm"
                                           << "hello.com"
                                           << "";
    QTest::newRow("exe-project-obj-derived") << Mode::Project << 1 << "prog"
                                             << "" << Action::Accept << "prog.asm"
                                             << "prog.obj"
                                             << "";
    QTest::newRow("new-inc-file") << Mode::File << 1 << "defs"
                                  << "" << Action::Accept << "defs.inc"
                                  << "defs.obj"
                                  << "";
    QTest::newRow("own-extension-kept") << Mode::Project << 0 << "boot.s"
                                        << "" << Action::Accept << "boot.s"
                                        << "boot.com"
                                        << "";
    QTest::newRow("target-cut-at-last-dot") << Mode::Project << 0 << "a.b.asm"
                                            << "" << Action::Accept << "a.b.asm"
                                            << "a.b.com"
                                            << "";
    QTest::newRow("given-target-kept") << Mode::Project << 0 << "a"
                                       << "out.bin" << Action::Accept << "a.asm"
                                       << "out.bin"
                                       << "";
    QTest::newRow("hyphen-in-source") << Mode::File << 0 << "a-b"
                                      << "x.com" << Action::InvalidSource << "a-b.asm"
                                      << "x.com" << bad1;
    QTest::newRow("hyphen-in-target") << Mode::Project << 0 << "ok"
                                      << "a-b.com" << Action::InvalidTarget << "ok.asm"
                                      << "a-b.com" << bad0;
    QTest::newRow("list-mode-no-checks") << Mode::List << 1 << ""
                                         << "" << Action::Accept << "/p/my file.asm"
                                         << ".obj"
                                         << "";
}

void tst_CreateNewRules::okCompletesAndChecksTheNames()
{
    QFETCH(Mode, mode);
    QFETCH(int, index);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(Action, action);
    QFETCH(QString, finalSource);
    QFETCH(QString, finalTarget);
    QFETCH(QString, message);

    QTemporaryDir dir;
    CreateNewRules::Input in;
    in.mode = mode;
    in.chosenIndex = index;
    in.chosenItemText = "/p/my file.asm";
    in.sourceName = source;
    in.targetName = target;
    in.location = dir.path();
    in.currentFolder = "/";
    const auto out = CreateNewRules::accept(in);
    QCOMPARE(out.action, action);
    QCOMPARE(out.sourceName, finalSource);
    QCOMPARE(out.targetName, finalTarget);
    QCOMPARE(out.message, message);
    QCOMPARE(out.chosenIndex, index);
    if (action == Action::Accept)
        QCOMPARE(out.location, dir.path() + "/");
}

void tst_CreateNewRules::missingLocationIsOfferedAndCreated()
{
    QTemporaryDir dir;
    CreateNewRules::Input in;
    in.mode = Mode::Project;
    in.sourceName = "hello.asm";
    in.currentFolder = dir.path();

    // Relative, with a trailing slash, two levels missing.
    in.location = "new/hello/";
    auto out = CreateNewRules::accept(in);
    QCOMPARE(out.action, Action::AskCreateFolder);
    QCOMPARE(out.message, QString("Location path does not exist, create?"));
    QCOMPARE(out.folderToCreate, dir.path() + "/new/hello");
    QCOMPARE(out.location, dir.path() + "/new/hello/");
    QVERIFY(CreateNewRules::createFolder(out.folderToCreate));
    QVERIFY(QFileInfo(out.folderToCreate).isDir());
    QCOMPARE(CreateNewRules::accept(in).action, Action::Accept);

    // Empty means the current folder, made absolute; the root stays the root.
    in.location = "";
    out = CreateNewRules::accept(in);
    QCOMPARE(out.action, Action::Accept);
    QCOMPARE(out.location, dir.path() + "/");
    in.location = "/";
    QCOMPARE(CreateNewRules::accept(in).location, QString("/"));
    in.location = dir.path() + "//sub/..//";
    QCOMPARE(CreateNewRules::accept(in).location, dir.path() + "/");
}

void tst_CreateNewRules::baseFolderByMode()
{
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "/p/q/main.asm", "/cwd"), QString("/p/q/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "", "/cwd"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "main.asm", "/cwd/"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::Project, "/p/q/main.asm", "/cwd"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::Project, "", "/"), QString("/"));
}

QTEST_GUILESS_MAIN(tst_CreateNewRules)
#include "tst_createnewrules.moc"
