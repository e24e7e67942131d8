#pragma once

#include "base/Prompts.h"

#include <QList>

#include <functional>
#include <variant>

// Prompts for tests: answers come from a queue the test fills beforehand, every question is
// recorded, and a question nobody scripted fails the test and gets the cancel answer instead of
// a dialog, so a test can never hang on a modal window.
//
//   ScriptedPrompts prompts;            // installs itself, uninstalls when destroyed
//   prompts.answerMessage(PromptAnswer::Yes);
//   doc.close();
//   QCOMPARE(prompts.asked().at(0).text, "Save changes to: ...");
//   QVERIFY(prompts.allAnswered());
class ScriptedPrompts final : public Prompts
{
public:
    enum class Kind { Message, OpenFiles, SaveFile, Folder, Font, Colour };

    struct Question
    {
        Kind kind;
        QString text; // the message, or the dialog's caption
        QString caption;
        PromptButtons buttons = PromptButtons::Ok;
        PromptIcon icon = PromptIcon::None;
        FileDialogRequest file; // open and save dialogs
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    void answerMessage(PromptAnswer answer);
    void answerOpenFiles(const QStringList &paths); // empty: cancelled
    void answerSaveFile(const QString &path);       // empty: cancelled
    void answerFolder(const QString &path);         // empty: cancelled
    void answerFont(const std::optional<QFont> &font);
    void answerColour(const std::optional<QColor> &colour);
    // Runs while each message box is up, before it is answered: what a real box's own event
    // loop would let happen meanwhile.
    void setWhileMessageShown(std::function<void()> whileShown);

    const QList<Question> &asked() const { return m_asked; }
    QStringList messagesAsked() const;
    // True when every scripted answer was used and no question came unscripted.
    bool allAnswered() const { return m_answers.isEmpty() && m_unexpected.isEmpty(); }
    const QStringList &unexpected() const { return m_unexpected; }
    void clear();

    PromptAnswer message(const QString &text,
                         PromptButtons buttons,
                         PromptIcon icon,
                         const QString &caption) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    QString folder(const QString &caption, const QString &startFolder) override;
    std::optional<QFont> font(const QFont &initial, const QString &caption) override;
    std::optional<QColor> colour(const QColor &initial, const QString &caption) override;

private:
    using Answer = std::
        variant<PromptAnswer, QStringList, QString, std::optional<QFont>, std::optional<QColor>>;
    struct Scripted
    {
        Kind kind;
        Answer answer;
    };

    // The next answer when it is of this kind; otherwise records the failure.
    std::optional<Answer> take(Kind kind, const QString &what);

    QList<Scripted> m_answers;
    QList<Question> m_asked;
    QStringList m_unexpected;
    std::function<void()> m_whileMessageShown;
};
