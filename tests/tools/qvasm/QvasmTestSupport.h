#pragma once

// Assembles sources held in memory, so the qvasm tests need no files; the result lists the
// bytes and every message as "line code kind" strings that rows can compare against.

#include "qvasm/Assembler.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class MemoryFiles : public qvasm::SourceLoader
{
public:
    QMap<QString, QByteArray> files; // absolute path -> contents

    ReadResult read(const std::string &path, std::string &text) override
    {
        const auto it = files.constFind(QString::fromStdString(path));
        if (it == files.constEnd())
            return ReadResult::NotFound;
        text = it->toStdString();
        return ReadResult::Ok;
    }

    std::string find(const std::string &path) override
    {
        const QString p = QString::fromStdString(path);
        for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
            if (it.key().compare(p, Qt::CaseInsensitive) == 0)
                return it.key().toStdString();
        }
        return {};
    }
};

struct Assembled
{
    QByteArray bytes;     // the image, as upper-case hex pairs separated by blanks
    QStringList messages; // "file:line code kind detail"
    int errors = 0;
    int diags = 0;

    bool hasMessage(int line, int code, const QString &file = "main.asm") const
    {
        const QString prefix = QString("%1:%2 %3").arg(file).arg(line).arg(code, 2, 16, QChar('0'));
        for (const QString &m : messages) {
            if (m.startsWith(prefix, Qt::CaseInsensitive))
                return true;
        }
        return false;
    }
    QString describe() const { return QString::fromLatin1(bytes) + "\n" + messages.join('\n'); }
};

inline Assembled assembleMemory(const QByteArray &source,
                                const QMap<QString, QByteArray> &includes = {},
                                qvasm::AssemblerOptions options = {})
{
    MemoryFiles loader;
    loader.files.insert("/src/main.asm", source);
    for (auto it = includes.constBegin(); it != includes.constEnd(); ++it)
        loader.files.insert(it.key().startsWith('/') ? it.key() : "/src/" + it.key(), it.value());
    qvasm::Assembler a(options, &loader);
    a.assembleFile("/src/main.asm");
    Assembled r;
    const std::vector<uint8_t> img = a.image();
    r.bytes = QByteArray(reinterpret_cast<const char *>(img.data()), int(img.size()))
                  .toHex(' ')
                  .toUpper();
    for (const qvasm::Message &m : a.messages().items()) {
        if (m.kind == qvasm::MsgKind::Print) {
            r.messages << "print " + QString::fromStdString(m.detail);
            continue;
        }
        const QString file = m.file < a.files().size()
                                 ? QString::fromStdString(a.files()[m.file]).section('/', -1)
                                 : QString("-");
        r.messages << QString("%1:%2 %3 %4 %5")
                          .arg(file)
                          .arg(m.line)
                          .arg(m.code, 2, 16, QChar('0'))
                          .arg(m.kind == qvasm::MsgKind::Diag ? "diag" : "error")
                          .arg(QString::fromStdString(m.detail));
    }
    r.errors = int(a.messages().errors());
    r.diags = int(a.messages().diags());
    return r;
}
