#include "DumpWindow.h"

#include "DumpView.h"
#include "base/Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

namespace {

const QString Caption = QStringLiteral("Dump");

QString grouped(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits;
}

// The view reads the rows it paints from the file as it is now, never from the mapping.
DumpView::ByteReader reader(const MappedFile &file)
{
    return [&file](qint64 offset, qint64 length, QByteArray &out) {
        return file.read(offset, length, out);
    };
}

} // namespace

DumpWindow::DumpWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_file(std::make_unique<MappedFile>())
    , m_view(new DumpView(this))
    , m_offsetEdit(new QLineEdit(this))
    , m_position(new QLabel(this))
    , m_size(new QLabel(this))
    , m_watcher(new QFileSystemWatcher(this))
{
    setObjectName(QStringLiteral("DumpWindow"));
    setCentralWidget(m_view);
    setAcceptDrops(true);
    m_view->setFocus(); // keys go to the bytes, not to the offset field
    m_view->setObjectName(QStringLiteral("dumpView"));

    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *open = fileMenu->addAction(QStringLiteral("&Open..."), this, [this] { askForFile(); });
    open->setObjectName(QStringLiteral("actionOpen"));
    open->setShortcut(QKeySequence::Open);
    fileMenu->addSeparator();
    QAction *exit = fileMenu->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("actionExit"));
    exit->setShortcut(QKeySequence::Quit);

    QMenu *editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction *copy = editMenu->addAction(QStringLiteral("&Copy as Hex"),
                                        this,
                                        &DumpWindow::copySelection);
    copy->setObjectName(QStringLiteral("actionCopy"));
    copy->setShortcut(QKeySequence::Copy);
    QAction *all = editMenu->addAction(QStringLiteral("Select &All"), m_view, &DumpView::selectAll);
    all->setObjectName(QStringLiteral("actionSelectAll"));
    all->setShortcut(QKeySequence::SelectAll);

    QMenu *goMenu = menuBar()->addMenu(QStringLiteral("&Go"));
    QAction *goTo = goMenu->addAction(QStringLiteral("Go to &Offset..."),
                                      this,
                                      &DumpWindow::focusOffsetField);
    goTo->setObjectName(QStringLiteral("actionGoToOffset"));
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));

    // A field rather than a dialog: type, Enter, and the field keeps the last offset for the next.
    QToolBar *bar = addToolBar(QStringLiteral("Go to"));
    bar->setObjectName(QStringLiteral("goToBar"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(QStringLiteral(" Offset: "), bar));
    m_offsetEdit->setObjectName(QStringLiteral("offsetEdit"));
    m_offsetEdit->setPlaceholderText(QStringLiteral("hex, e.g. 7C00"));
    m_offsetEdit->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);
    m_offsetEdit->setClearButtonEnabled(true);
    bar->addWidget(m_offsetEdit);
    connect(m_offsetEdit, &QLineEdit::returnPressed, this, &DumpWindow::goToTypedOffset);

    statusBar()->addWidget(m_position, 1);
    statusBar()->addPermanentWidget(m_size);
    connect(m_view, &DumpView::selectionChanged, this, &DumpWindow::updateStatus);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DumpWindow::fileChangedOnDisk);
    // The change notice may come after a paint; a shortened file must never be painted from.
    connect(m_view, &DumpView::aboutToPaint, this, [this] {
        if (m_file->shrank())
            remap();
    });
    // It can still shrink after that check; the paint then found rows missing and showed them
    // blank. Mapped afresh once the paint is over (only when shorter: a read that failed for
    // another reason would fail again on every paint the new mapping brings).
    connect(
        m_view,
        &DumpView::bytesMissing,
        this,
        [this] {
            if (m_file->shrank())
                remap();
        },
        Qt::QueuedConnection);

    const QFontMetrics metrics(m_view->font());
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * (m_view->format().rowLength() + 6),
           metrics.height() * 32);
    updateTitle();
    updateStatus();
}

DumpWindow::~DumpWindow()
{
    // The view must let go of the bytes before they are unmapped.
    m_view->setData({}, 0);
}

void DumpWindow::tell(const QString &text)
{
    Prompts::instance().message(text, PromptButtons::Ok, PromptIcon::Exclamation, Caption);
}

bool DumpWindow::openFile(const QString &path)
{
    auto file = std::make_unique<MappedFile>();
    if (!file->open(path)) {
        tell(file->errorString());
        return false;
    }
    m_view->setData(reader(*file), file->size());
    m_file = std::move(file); // the old file goes only now, after the view let go of it
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    m_watcher->addPath(path);
    m_lastFolder = QFileInfo(path).absolutePath();
    updateTitle();
    updateStatus();
    return true;
}

bool DumpWindow::askForFile()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("Open File to Dump");
    request.directory = m_lastFolder;
    request.filter = Prompts::filterFromClassic(QStringLiteral("All files (*.*)|*.*||"));
    const QStringList chosen = Prompts::instance().openFiles(request);
    if (chosen.isEmpty())
        return false;
    return openFile(chosen.first());
}

void DumpWindow::copySelection()
{
    const qint64 length = m_view->selectionLength();
    if (length <= 0)
        return;
    if (length > MaxCopyBytes) {
        tell(QStringLiteral(
                 "The selection of %1 bytes is too large to copy; at most %2 bytes can be "
                 "copied as hex.")
                 .arg(grouped(length), grouped(MaxCopyBytes)));
        return;
    }
    // Read from the file, not the mapping: the file may shrink while the bytes are copied.
    QByteArray bytes;
    if (!m_file->read(m_view->selectionStart(), length, bytes)) {
        tell(QStringLiteral("%1 changed on disk while it was copied; nothing was copied.")
                 .arg(QDir::toNativeSeparators(m_file->path())));
        return;
    }
    QApplication::clipboard()->setText(
        DumpFormat::hexText(reinterpret_cast<const uchar *>(bytes.constData()), length));
}

void DumpWindow::focusOffsetField()
{
    m_offsetEdit->setFocus(Qt::ShortcutFocusReason);
    m_offsetEdit->selectAll();
}

void DumpWindow::goToTypedOffset()
{
    const QString typed = m_offsetEdit->text();
    if (typed.trimmed().isEmpty() || !m_file->isOpen())
        return;
    const std::optional<qint64> offset = DumpFormat::parseOffset(typed);
    if (!offset) {
        tell(QStringLiteral("\"%1\" is not an offset. Type it in hex, for example 7C00 or 0x7C00.")
                 .arg(typed.trimmed()));
        return;
    }
    if (!m_view->goToOffset(*offset)) {
        tell(QStringLiteral("Offset %1h is beyond the end of the file (%2 bytes).")
                 .arg(QString::number(*offset, 16).toUpper(), grouped(m_file->size())));
        return;
    }
    m_view->setFocus();
}

// Pages of a mapping past a shortened file's end would kill us when touched, so a file that
// changes on disk is mapped afresh; one that is gone or emptied is no longer shown.
void DumpWindow::fileChangedOnDisk(const QString &path)
{
    if (!m_file->isOpen() || path != m_file->path())
        return;
    // Deleted or renamed: the mapping still holds the old bytes, safely. Keep showing them.
    if (!QFileInfo::exists(path))
        return;
    remap();
}

void DumpWindow::remap()
{
    const QString path = m_file->path();
    auto file = std::make_unique<MappedFile>();
    if (!file->open(path)) {
        m_view->setData({}, 0);
        m_file = std::make_unique<MappedFile>();
        m_watcher->removePaths(m_watcher->files());
        updateTitle();
        updateStatus();
        // Said once the paint or notice that got us here is over.
        const QString text = QStringLiteral("%1 changed on disk and can no longer be shown:\n%2")
                                 .arg(QDir::toNativeSeparators(path), file->errorString());
        QMetaObject::invokeMethod(
            this, [this, text] { tell(text); }, Qt::QueuedConnection);
        return;
    }
    m_view->setData(reader(*file), file->size(), true);
    m_file = std::move(file);
    if (!m_watcher->files().contains(path))
        m_watcher->addPath(path); // some editors replace the file, which ends the watch
    updateStatus();
}

void DumpWindow::updateTitle()
{
    setWindowTitle(m_file->isOpen()
                       ? QStringLiteral("%1 - %2").arg(QFileInfo(m_file->path()).fileName(), Caption)
                       : Caption);
}

void DumpWindow::updateStatus()
{
    if (!m_file->isOpen()) {
        m_position->setText(QStringLiteral("No file"));
        m_size->clear();
        return;
    }
    const qint64 cursor = m_view->cursorOffset();
    const int digits = m_view->format().offsetDigits();
    QString text = QStringLiteral("Offset %1h (%2)")
                       .arg(QString::number(cursor, 16).toUpper().rightJustified(digits, u'0'),
                            grouped(cursor));
    if (m_view->selectionLength() > 1)
        text += QStringLiteral("    Selected %1 bytes").arg(grouped(m_view->selectionLength()));
    m_position->setText(text);
    m_size->setText(QStringLiteral("%1 bytes").arg(grouped(m_file->size())));
}

void DumpWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().value(0).isLocalFile())
        event->acceptProposedAction();
}

void DumpWindow::dropEvent(QDropEvent *event)
{
    const QUrl url = event->mimeData()->urls().value(0);
    if (url.isLocalFile()) {
        event->acceptProposedAction();
        openFile(url.toLocalFile());
    }
}
