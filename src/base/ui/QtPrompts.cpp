#include "base/ui/QtPrompts.h"

#include "base/AppInfo.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

QWidget *dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

QMessageBox::StandardButtons standardButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case PromptButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::None:
        return QMessageBox::NoIcon;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Stop:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

PromptAnswer answerFor(int button, PromptButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Abort:
        return PromptAnswer::Abort;
    case QMessageBox::Retry:
        return PromptAnswer::Retry;
    case QMessageBox::Ignore:
        return PromptAnswer::Ignore;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    }
    // Closed by the window manager: the escape answer of the button set.
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

} // namespace

void QtPrompts::install()
{
    setDefaultInstance(this);
}

PromptAnswer QtPrompts::message(const QString &text,
                                PromptButtons buttons,
                                PromptIcon icon,
                                const QString &caption)
{
    QMessageBox box(messageIcon(icon),
                    caption.isEmpty() ? QString::fromLatin1(AppInfo::ApplicationName) : caption,
                    text,
                    standardButtons(buttons),
                    dialogParent());
    return answerFor(box.exec(), buttons);
}

QStringList QtPrompts::openFiles(const FileDialogRequest &request)
{
    QFileDialog dialog(dialogParent(), request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtPrompts::saveFile(const FileDialogRequest &request)
{
    QFileDialog dialog(dialogParent(), request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompts::folder(const QString &caption, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(dialogParent(), caption, startFolder);
}

std::optional<QFont> QtPrompts::font(const QFont &initial, const QString &caption)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, dialogParent(), caption);
    if (!ok)
        return std::nullopt;
    return chosen;
}

std::optional<QColor> QtPrompts::colour(const QColor &initial, const QString &caption)
{
    const QColor chosen = QColorDialog::getColor(initial, dialogParent(), caption);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
