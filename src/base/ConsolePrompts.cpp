#include "base/ConsolePrompts.h"

ConsolePrompts::ConsolePrompts(Writer write)
    : m_write(std::move(write))
{}

PromptAnswer ConsolePrompts::message(const QString &text,
                                     PromptButtons buttons,
                                     PromptIcon,
                                     const QString &)
{
    // A message may span lines (the boxes show them as they are); one trailing line break.
    QString line = text;
    while (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    if (m_write)
        m_write(line + QLatin1Char('\n'));
    return unattendedAnswer(buttons);
}

PromptAnswer ConsolePrompts::unattendedAnswer(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok:
        return PromptAnswer::Ok;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
    case PromptButtons::RetryCancel:
        return PromptAnswer::Cancel;
    case PromptButtons::YesNo:
        return PromptAnswer::No;
    case PromptButtons::AbortRetryIgnore:
        return PromptAnswer::Ignore;
    }
    return PromptAnswer::Cancel;
}

QStringList ConsolePrompts::openFiles(const FileDialogRequest &)
{
    return {};
}

QString ConsolePrompts::saveFile(const FileDialogRequest &)
{
    return {};
}

QString ConsolePrompts::folder(const QString &, const QString &)
{
    return {};
}

std::optional<QFont> ConsolePrompts::font(const QFont &, const QString &)
{
    return std::nullopt;
}

std::optional<QColor> ConsolePrompts::colour(const QColor &, const QString &)
{
    return std::nullopt;
}
