#include "ScriptedPrompts.h"

#include <QTest>

namespace {
const char *kindName(ScriptedPrompts::Kind kind)
{
    switch (kind) {
    case ScriptedPrompts::Kind::Message:
        return "message";
    case ScriptedPrompts::Kind::OpenFiles:
        return "open-file dialog";
    case ScriptedPrompts::Kind::SaveFile:
        return "save-file dialog";
    case ScriptedPrompts::Kind::Folder:
        return "folder dialog";
    case ScriptedPrompts::Kind::Font:
        return "font dialog";
    case ScriptedPrompts::Kind::Colour:
        return "colour dialog";
    }
    return "?";
}
} // namespace

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::setInstance(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    Prompts::setInstance(nullptr);
}

void ScriptedPrompts::answerMessage(PromptAnswer answer)
{
    m_answers.append({Kind::Message, answer});
}

void ScriptedPrompts::answerOpenFiles(const QStringList &paths)
{
    m_answers.append({Kind::OpenFiles, paths});
}

void ScriptedPrompts::answerSaveFile(const QString &path)
{
    m_answers.append({Kind::SaveFile, path});
}

void ScriptedPrompts::setWhileMessageShown(std::function<void()> whileShown)
{
    m_whileMessageShown = std::move(whileShown);
}

void ScriptedPrompts::answerFolder(const QString &path)
{
    m_answers.append({Kind::Folder, path});
}

void ScriptedPrompts::answerFont(const std::optional<QFont> &font)
{
    m_answers.append({Kind::Font, font});
}

void ScriptedPrompts::answerColour(const std::optional<QColor> &colour)
{
    m_answers.append({Kind::Colour, colour});
}

QStringList ScriptedPrompts::messagesAsked() const
{
    QStringList texts;
    for (const Question &q : m_asked) {
        if (q.kind == Kind::Message)
            texts << q.text;
    }
    return texts;
}

void ScriptedPrompts::clear()
{
    m_answers.clear();
    m_asked.clear();
    m_unexpected.clear();
}

std::optional<ScriptedPrompts::Answer> ScriptedPrompts::take(Kind kind, const QString &what)
{
    if (!m_answers.isEmpty() && m_answers.constFirst().kind == kind)
        return m_answers.takeFirst().answer;
    const QString problem = QStringLiteral("unscripted %1: %2 (next scripted: %3)")
                                .arg(QLatin1String(kindName(kind)),
                                     what,
                                     m_answers.isEmpty()
                                         ? QStringLiteral("none")
                                         : QLatin1String(kindName(m_answers.constFirst().kind)));
    m_unexpected << problem;
    QTest::qFail(qPrintable(problem), __FILE__, __LINE__);
    return std::nullopt;
}

PromptAnswer ScriptedPrompts::message(const QString &text,
                                      PromptButtons buttons,
                                      PromptIcon icon,
                                      const QString &caption)
{
    m_asked.append({Kind::Message, text, caption, buttons, icon, {}});
    if (m_whileMessageShown)
        m_whileMessageShown();
    if (auto a = take(Kind::Message, text))
        return std::get<PromptAnswer>(*a);
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

QStringList ScriptedPrompts::openFiles(const FileDialogRequest &request)
{
    m_asked.append({Kind::OpenFiles, request.caption, request.caption, {}, {}, request});
    if (auto a = take(Kind::OpenFiles, request.caption))
        return std::get<QStringList>(*a);
    return {};
}

QString ScriptedPrompts::saveFile(const FileDialogRequest &request)
{
    m_asked.append({Kind::SaveFile, request.caption, request.caption, {}, {}, request});
    if (auto a = take(Kind::SaveFile, request.caption))
        return std::get<QString>(*a);
    return {};
}

QString ScriptedPrompts::folder(const QString &caption, const QString &startFolder)
{
    FileDialogRequest request;
    request.caption = caption;
    request.directory = startFolder;
    m_asked.append({Kind::Folder, caption, caption, {}, {}, request});
    if (auto a = take(Kind::Folder, caption))
        return std::get<QString>(*a);
    return {};
}

std::optional<QFont> ScriptedPrompts::font(const QFont &, const QString &caption)
{
    m_asked.append({Kind::Font, caption, caption, {}, {}, {}});
    if (auto a = take(Kind::Font, caption))
        return std::get<std::optional<QFont>>(*a);
    return std::nullopt;
}

std::optional<QColor> ScriptedPrompts::colour(const QColor &, const QString &caption)
{
    m_asked.append({Kind::Colour, caption, caption, {}, {}, {}});
    if (auto a = take(Kind::Colour, caption))
        return std::get<std::optional<QColor>>(*a);
    return std::nullopt;
}
