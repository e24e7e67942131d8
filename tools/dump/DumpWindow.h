#pragma once

#include "MappedFile.h"

#include <QMainWindow>

class DumpView;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;

// The dump program's window: a DumpView over a memory-mapped file, File Open, Copy as Hex and a
// go-to-offset field. Every message and file dialog goes through the Prompts seam.
class DumpWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit DumpWindow(QWidget *parent = nullptr);
    ~DumpWindow() override;

    // Shows `path`; on failure says why in a message box and keeps what was shown before.
    bool openFile(const QString &path);
    // Asks for a file and opens it; false when cancelled or it could not be opened.
    bool askForFile();

    DumpView *view() const { return m_view; }
    QString filePath() const { return m_file->isOpen() ? m_file->path() : QString(); }

    // Copies the selection as hex; refuses (with a message) a selection too large to copy.
    void copySelection();
    // Jumps to the offset typed in the go-to field.
    void goToTypedOffset();
    void focusOffsetField();

    static constexpr qint64 MaxCopyBytes = 16 * 1024 * 1024;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void fileChangedOnDisk(const QString &path);
    void remap();
    void updateStatus();
    void updateTitle();
    void tell(const QString &text);

    std::unique_ptr<MappedFile> m_file;
    DumpView *m_view;
    QLineEdit *m_offsetEdit;
    QLabel *m_position;
    QLabel *m_size;
    QString m_lastFolder;
    QFileSystemWatcher *m_watcher;
};
