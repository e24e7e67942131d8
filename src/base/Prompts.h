#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

// Every message box and every file, folder, font and colour dialog of the program goes through
// this one seam, so that a test can answer them from a script and never hangs on a modal dialog.
// The real implementation (QtPrompts) parents each dialog to the active window.

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };

enum class PromptIcon { None, Information, Exclamation, Stop, Question };

// Values as the classic message-box results, so code that compares with 1 (OK) keeps reading right.
enum class PromptAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct FileDialogRequest
{
    QString caption;
    QString directory;     // start folder, or a file path to preselect
    QString filter;        // Qt form: ".asm files (*.asm);;All Files (*)"
    QString defaultSuffix; // without the dot; empty: none
    bool multiple = false; // open dialogs only
};

class Prompts
{
public:
    virtual ~Prompts();

    // The program's prompts; QtPrompts unless a test installed its own.
    static Prompts &instance();
    // Takes no ownership; nullptr restores the default.
    static void setInstance(Prompts *prompts);

    // An empty caption means the program's name.
    virtual PromptAnswer message(const QString &text,
                                 PromptButtons buttons = PromptButtons::Ok,
                                 PromptIcon icon = PromptIcon::None,
                                 const QString &caption = QString())
        = 0;
    // Paths chosen, empty when cancelled.
    virtual QStringList openFiles(const FileDialogRequest &request) = 0;
    virtual QString saveFile(const FileDialogRequest &request) = 0;
    virtual QString folder(const QString &caption, const QString &startFolder) = 0;
    virtual std::optional<QFont> font(const QFont &initial, const QString &caption = QString()) = 0;
    virtual std::optional<QColor> colour(const QColor &initial, const QString &caption = QString())
        = 0;

    // Turns a classic "Text|*.a;*.b|All|*.*||" filter into Qt's "Text (*.a *.b);;All (*)".
    static QString filterFromClassic(const QString &classic);

protected:
    // Installed by the GUI library at start-up; lets instance() find the real implementation
    // without the core library depending on widgets.
    static void setDefaultInstance(Prompts *prompts);
};

// Shorthand for the common OK-only message box.
inline PromptAnswer showMessage(const QString &text, PromptIcon icon = PromptIcon::None)
{
    return Prompts::instance().message(text, PromptButtons::Ok, icon);
}
