#include "editor/ui/ViewTextCommands.h"

#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "base/RegularFile.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/SourceFileCodec.h"
#include "editor/TextTransforms.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/CSignatureDlg.h"
#include "frame/ui/CMainFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QTextBlock>

namespace {

int tabstops()
{
    return SettingsStore::instance().readInt(QStringLiteral("Settings"),
                                             QStringLiteral("tabstops"),
                                             2);
}

const QString kNotImplemented = QStringLiteral("Not implemented yet");

} // namespace

ViewTextCommands::ViewTextCommands(CQvasmView *view, std::shared_ptr<const ModifierQuery> modifiers)
    : QObject(view)
    , m_view(view)
    , m_modifiers(std::move(modifiers))
{
    setObjectName(QStringLiteral("textCommands"));
    registerCommands();
}

Qt::KeyboardModifiers ViewTextCommands::keyboardModifiers() const
{
    return m_modifiers && *m_modifiers ? (*m_modifiers)()
                                       : QGuiApplication::queryKeyboardModifiers();
}

void ViewTextCommands::registerCommands()
{
    CommandMap &c = m_view->commands();
    const auto withSelection = [this](CommandUpdate &u) {
        u.enable(!m_view->isReadOnly() && m_view->textCursor().hasSelection());
    };
    const auto editable = [this](CommandUpdate &u) { u.enable(!m_view->isReadOnly()); };

    c.on(ID_EDIT_UPPERCASE, [this] { changeCase(true); });
    c.onUpdate(ID_EDIT_UPPERCASE, withSelection);
    c.on(ID_EDIT_LOWERCASE, [this] { changeCase(false); });
    c.onUpdate(ID_EDIT_LOWERCASE, withSelection);
    c.on(ID_EDIT_UNTABIFY, [this] { untabify(); });
    c.onUpdate(ID_EDIT_UNTABIFY, withSelection);
    c.on(ID_EDIT_TABIFY, [this] { tabify(); });
    c.onUpdate(ID_EDIT_TABIFY, withSelection);
    c.on(ID_EDIT_CLEAN_TRAILING_SPACES, [this] { cleanTrailingSpaces(); });
    c.onUpdate(ID_EDIT_CLEAN_TRAILING_SPACES, editable);
    c.on(ID_INSERT_FILE_TEXT, [this] { insertFileAsText(); });
    c.onUpdate(ID_INSERT_FILE_TEXT, editable);
    c.on(ID_INSERT_FILE_BINARY, [this] { insertFileAsBinary(); });
    c.onUpdate(ID_INSERT_FILE_BINARY, editable);
    c.on(ID_INSERT_COMMENT_BLOCK, [this] { commentBlock(); });
    c.onUpdate(ID_INSERT_COMMENT_BLOCK, editable);
    c.on(ID_INSERT_SIGNATURE, [this] { insertSignature(); });
    c.onUpdate(ID_INSERT_SIGNATURE, editable);
    c.on(ID_EDIT_VIEW_WHITESPACE, [] { showMessage(kNotImplemented); });
}

void ViewTextCommands::recolourAll()
{
    if (CQvasmView::formattingOn())
        m_view->Refresh();
}

void ViewTextCommands::replaceSelection(const QString &text, bool keepSelected)
{
    QTextCursor cursor = m_view->textCursor();
    const int anchor = cursor.anchor();
    const int position = cursor.position();
    cursor.insertText(text);
    if (keepSelected)
        m_view->setSelection(anchor, position);
    else
        m_view->setTextCursor(cursor);
}

// Case and tabs ----------------------------------------------------------------------------------

void ViewTextCommands::changeCase(bool upper)
{
    const QTextCursor cursor = m_view->textCursor();
    if (!cursor.hasSelection() || m_view->isReadOnly())
        return;
    // selectedText() keeps line breaks as U+2029, which insertText() turns back into blocks.
    const QString text = cursor.selectedText();
    const QString changed = upper ? TextTransforms::toUpper(text) : TextTransforms::toLower(text);
    if (changed != text) {
        CQvasmView::ColouringBusy busy(*m_view);
        replaceSelection(changed, true);
    }
    recolourAll();
}

void ViewTextCommands::untabify()
{
    const QTextCursor cursor = m_view->textCursor();
    if (!cursor.hasSelection() || m_view->isReadOnly())
        return;
    const QString text = cursor.selectedText();
    const QString changed = TextTransforms::untabify(text, tabstops());
    if (changed != text) {
        CQvasmView::ColouringBusy busy(*m_view);
        replaceSelection(changed, false);
    }
    recolourAll();
}

void ViewTextCommands::tabify()
{
    const QTextCursor cursor = m_view->textCursor();
    if (!cursor.hasSelection() || m_view->isReadOnly())
        return;
    const QString text = cursor.selectedText();
    const QString changed = TextTransforms::tabify(text, tabstops());
    if (changed != text) {
        CQvasmView::ColouringBusy busy(*m_view);
        replaceSelection(changed, false);
    }
    recolourAll();
}

// Clean Trailing Spaces --------------------------------------------------------------------------

void ViewTextCommands::cleanTrailingSpaces()
{
    if (m_view->isReadOnly())
        return;
    CMainFrame *frame = m_view->mainFrame();
    if (frame)
        frame->StartBusyAnimation(m_view->busyIndicator());
    QTextDocument *text = m_view->document();
    {
        const QPoint scroll = m_view->scrollPosition();
        // A cursor follows the edits, so the selection stays on the same text.
        const QTextCursor selection = m_view->textCursor();
        CQvasmView::RedrawLock lock(*m_view);
        CQvasmView::ColouringBusy busy(*m_view);
        // One undo step of its own on top of the earlier ones, touching only the lines that
        // lose blanks; the undo history also keeps the modified flag right.
        QTextCursor edit(text);
        edit.beginEditBlock();
        for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
            const QString line = block.text();
            const int cut = TextTransforms::trailingBlanks(line);
            if (cut == 0)
                continue;
            edit.setPosition(block.position() + int(line.size()) - cut);
            edit.setPosition(block.position() + int(line.size()), QTextCursor::KeepAnchor);
            edit.removeSelectedText();
        }
        edit.endEditBlock();
        m_view->setSelection(selection.anchor(), selection.position());
        m_view->setScrollPosition(scroll);
    }
    recolourAll();
    if (frame)
        frame->StopBusyAnimation(m_view->busyIndicator());
}

// Inserting files --------------------------------------------------------------------------------

QString ViewTextCommands::askForFile(const QString &classicFilter) const
{
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.filter = Prompts::filterFromClassic(classicFilter);
    const CMainFrame *frame = m_view->mainFrame();
    request.directory = frame ? frame->openFolder() : QDir::currentPath();
    const QStringList chosen = Prompts::instance().openFiles(request);
    return chosen.isEmpty() ? QString() : chosen.first();
}

void ViewTextCommands::insertFileAsText()
{
    if (m_view->isReadOnly())
        return;
    const QPointer<CQvasmView> view(m_view);
    const QString path = askForFile(
        QStringLiteral("Assembly (.asm)|*.asm|Include  (.inc)|*.inc|All Files (*.*)|*.*||"));
    if (path.isEmpty() || !view)
        return;
    const SourceFileCodec::ReadResult read = SourceFileCodec::readFile(path);
    if (!read.ok) {
        showMessage(CQvasmDoc::openErrorMessage(path, read.errorString), PromptIcon::Exclamation);
        return;
    }
    // One undo step; the caret's line is recoloured as after any edit.
    QTextCursor cursor = view->textCursor();
    cursor.insertText(read.text);
    view->setTextCursor(cursor);
}

void ViewTextCommands::insertFileAsBinary()
{
    if (m_view->isReadOnly())
        return;
    const QPointer<CQvasmView> view(m_view);
    const QString path = askForFile(QStringLiteral("All Files (*.*)|*.*||"));
    if (path.isEmpty() || !view)
        return;
    QFile file;
    QString error;
    if (!RegularFile::openForReading(file, path, &error)) {
        showMessage(CQvasmDoc::openErrorMessage(path, error), PromptIcon::Exclamation);
        return;
    }
    if (file.size() > MaxBinaryInsert) {
        showMessage(CQvasmDoc::openErrorMessage(
                        path,
                        QStringLiteral("The file is larger than %1 bytes, too large to insert as "
                                       "db lines.")
                            .arg(MaxBinaryInsert)),
                    PromptIcon::Exclamation);
        return;
    }
    const QByteArray bytes = file.read(MaxBinaryInsert);
    if (bytes.isEmpty())
        return;
    {
        CQvasmView::ColouringBusy busy(*view);
        QTextCursor cursor = view->textCursor();
        cursor.insertText(TextTransforms::hexDump(bytes));
        view->setTextCursor(cursor);
    }
    recolourAll();
}

// Comment block and signature ------------------------------------------------------------------

void ViewTextCommands::commentBlock()
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    if (!cursor.hasSelection()) {
        CQvasmView::ColouringBusy busy(*m_view);
        cursor.insertText(TextTransforms::commentBlockTemplate());
        m_view->setTextCursor(cursor);
    } else {
        const TextTransforms::CommentBlock block = TextTransforms::commentBlock(
            cursor.selectedText());
        if (!block.ok) {
            showMessage(block.message);
            return;
        }
        CQvasmView::ColouringBusy busy(*m_view);
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        QTextCursor edit(m_view->document());
        edit.beginEditBlock();
        edit.setPosition(end);
        edit.insertText(block.closing);
        edit.setPosition(start);
        edit.insertText(block.opening);
        edit.endEditBlock();
    }
    recolourAll();
}

void ViewTextCommands::insertSignature()
{
    if (m_view->isReadOnly())
        return;
    SettingsStore &settings = SettingsStore::instance();
    QString text = TextTransforms::signature(settings);
    // Shift held as the command starts skips the dialog, as if OK had been pressed.
    if (!(keyboardModifiers() & Qt::ShiftModifier)) {
        const QPointer<CQvasmView> view(m_view);
        const QPointer<CSignatureDlg> dialog = new CSignatureDlg(m_view->window());
        dialog->setText(text);
        const int result = dialog->exec();
        if (!dialog)
            return;
        text = dialog->text();
        delete dialog.data();
        if (result != QDialog::Accepted || !view)
            return;
    }
    QTextCursor cursor = m_view->textCursor();
    cursor.insertText(text);
    m_view->setTextCursor(cursor);
    TextTransforms::storeSignature(settings, text);
}
