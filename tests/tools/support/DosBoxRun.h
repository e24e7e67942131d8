#pragma once

// Runs a DOS program headless in DOSBox, its standard output redirected to a file in the
// program's folder: the tests of the tools that make .exe files check what the programs print.
// DOSBox gets a home of its own, so the user's configuration is neither read nor written.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace DosBoxRun {

// The dosbox program on the PATH, or empty: tests QSKIP then, saying so.
inline QString program()
{
    return QStandardPaths::findExecutable("dosbox");
}

// Runs `exe` (an 8.3 name in `folder`) as "EXE > OUT.TXT" and returns what it printed. False
// with `why` set when DOSBox is missing, does not end within `timeoutMs`, or writes no output.
inline bool run(const QString &folder,
                const QString &exe,
                QByteArray *output,
                QString *why,
                int timeoutMs = 60000)
{
    const QString dosbox = program();
    if (dosbox.isEmpty()) {
        *why = "dosbox is not installed";
        return false;
    }
    QTemporaryDir home;
    if (!home.isValid()) {
        *why = "no temporary folder";
        return false;
    }
    QFile::remove(folder + "/OUT.TXT");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SDL_VIDEODRIVER", "dummy");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(home.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(dosbox,
            {"-c",
             "mount c \"" + QDir(folder).absolutePath() + "\"",
             "-c",
             "c:",
             "-c",
             exe + " > OUT.TXT",
             "-c",
             "exit"});
    if (!p.waitForStarted(10000)) {
        *why = "dosbox did not start";
        return false;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        *why = "dosbox did not end in time (the program may hang)";
        return false;
    }
    for (const QString &name : {QString("OUT.TXT"), QString("out.txt")}) {
        QFile f(folder + "/" + name);
        if (f.open(QIODevice::ReadOnly)) {
            *output = f.readAll();
            return true;
        }
    }
    *why = "no OUT.TXT; dosbox said: " + QString::fromLocal8Bit(p.readAll().right(500));
    return false;
}

} // namespace DosBoxRun
