#pragma once

#include "base/Prompts.h"

#include <functional>

// The prompts of a run without a window (command-line builds): each message is written as a
// line, and every question takes the answer that changes nothing (Cancel, No, Ignore), since
// nobody is there to agree to anything. File, folder, font and colour dialogs give nothing.
class ConsolePrompts : public Prompts
{
public:
    using Writer = std::function<void(const QString &)>;
    explicit ConsolePrompts(Writer write);

    PromptAnswer message(const QString &text,
                         PromptButtons buttons = PromptButtons::Ok,
                         PromptIcon icon = PromptIcon::None,
                         const QString &caption = QString()) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    QString folder(const QString &caption, const QString &startFolder) override;
    std::optional<QFont> font(const QFont &initial, const QString &caption = QString()) override;
    std::optional<QColor> colour(const QColor &initial, const QString &caption = QString()) override;

    // The answer a question gets when nobody can give one.
    static PromptAnswer unattendedAnswer(PromptButtons buttons);

private:
    Writer m_write;
};
