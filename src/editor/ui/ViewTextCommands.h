#pragma once

#include <QObject>

#include <functional>
#include <memory>

class CQvasmView;

// The text commands of one editor view, on its command table: upper and lower case, tabs to
// blanks and back over the selection, Clean Trailing Spaces, Insert file as text or as a `db` hex
// dump, Comment Block, Insert Signature and View Whitespaces. The ones that rewrite text recolour
// the whole text afterwards while formatting is on.
class ViewTextCommands : public QObject
{
    Q_OBJECT

public:
    // Largest file Insert Binary turns into `db` lines (each byte becomes about eight characters).
    static constexpr qint64 MaxBinaryInsert = 4 * 1024 * 1024;

    // The keyboard state Insert Signature looks at (Shift skips the dialog); tests set their own.
    using ModifierQuery = std::function<Qt::KeyboardModifiers()>;

    // Registers on view's command table (becomes its child). modifiers is shared by the views of
    // one frame (EditorAids); an empty one asks the keyboard.
    explicit ViewTextCommands(CQvasmView *view,
                              std::shared_ptr<const ModifierQuery> modifiers = nullptr);

    void changeCase(bool upper);
    void untabify();
    void tabify();
    void cleanTrailingSpaces();
    void insertFileAsText();
    void insertFileAsBinary();
    void commentBlock();
    void insertSignature();

private:
    void registerCommands();
    void replaceSelection(const QString &text, bool keepSelected);
    void recolourAll();
    QString askForFile(const QString &classicFilter) const;

    Qt::KeyboardModifiers keyboardModifiers() const;

    CQvasmView *m_view;
    std::shared_ptr<const ModifierQuery> m_modifiers;
};
