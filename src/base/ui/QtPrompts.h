#pragma once

#include "base/Prompts.h"

// Prompts answered by the user through Qt's own dialogs, parented to the active window.
class QtPrompts final : public Prompts
{
public:
    // Makes this the program's default prompts.
    void install();

    PromptAnswer message(const QString &text,
                         PromptButtons buttons,
                         PromptIcon icon,
                         const QString &caption) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    QString folder(const QString &caption, const QString &startFolder) override;
    std::optional<QFont> font(const QFont &initial, const QString &caption) override;
    std::optional<QColor> colour(const QColor &initial, const QString &caption) override;
};
