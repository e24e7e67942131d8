#include "editor/ui/CHelpPopup.h"

#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiSubWindow>

namespace {

// Frame and margin around the text: three pixels a side.
constexpr int kBorder = 1;
constexpr int kMargin = 2;

} // namespace

CHelpPopup::CHelpPopup(CMainFrame *frame)
    : QObject(frame)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("helpPopup"));
}

CHelpPopup::~CHelpPopup()
{
    close();
}

CHelpPopup *CHelpPopup::of(const QWidget *frameOrChild)
{
    const QWidget *top = frameOrChild ? frameOrChild->window() : nullptr;
    return top ? top->findChild<CHelpPopup *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void CHelpPopup::setHelpFilePath(const QString &path)
{
    if (!m_help)
        m_path = path;
}

QString CHelpPopup::helpFilePath() const
{
    if (!m_path.isEmpty())
        return m_path;
    return QDir(ProgramValues::instance().programFolder).filePath(HelpFile::fileName());
}

QFont CHelpPopup::popupFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(9);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QRect CHelpPopup::fitRect(const QPoint &anchor, const QSize &textSize, const QRect &client)
{
    const int w = textSize.width();
    const int h = textSize.height();
    int x = anchor.x();
    int y = anchor.y();
    // Edges as the classic rectangles have them: right and bottom one past the last pixel.
    const int right = client.x() + client.width();
    const int bottom = client.y() + client.height();
    if (bottom < y + h) {
        y = bottom - h - 5;
        if (y < client.top())
            y = client.top();
    }
    if (right < x + w) {
        x = right - w - 5;
        if (x < client.left())
            x = client.left();
    }
    return QRect(x, y, w + 2 * (kBorder + kMargin), h + 2 * (kBorder + kMargin));
}

void CHelpPopup::ShowHelp(CQvasmView &view, const QString &word, Placement placement)
{
    close();
    if (!m_help)
        m_help = std::make_unique<HelpFile>(helpFilePath());
    if (!m_help->ensureLoaded()) {
        showMessage(m_help->missingFileMessage());
        return;
    }
    const QString text = m_help->popupText(word);

    // Over the editor's window, in its coordinates.
    QWidget *host = view.parentWidget();
    for (QWidget *w = &view; w; w = w->parentWidget()) {
        if (qobject_cast<QMdiSubWindow *>(w)) {
            host = w;
            break;
        }
    }
    if (!host)
        host = &view;
    const QRect client = host == &view ? view.rect()
                                       : QRect(view.mapTo(host, QPoint(0, 0)), view.size());
    QPoint anchor;
    if (placement == Placement::Caret)
        anchor = view.viewport()->mapTo(host, view.cursorRect().topLeft() + QPoint(0, 20));
    else
        anchor = host->mapFromGlobal(QCursor::pos());

    const QFont font = popupFont();
    const QSize textSize
        = QFontMetrics(font).boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, text).size();

    auto *label = new QLabel(host);
    label->setObjectName(QStringLiteral("helpText"));
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(kBorder);
    label->setMargin(kMargin);
    // A framed label indents its text by half an "x" besides the margin, which the measured
    // size has no room for: the text would run into the right border.
    label->setIndent(0);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    label->setGeometry(fitRect(anchor, textSize, client));
    label->show();
    label->raise();
    label->repaint();
    m_popup = label;
    // The next click, wheel turn or key anywhere in the program closes it and goes on as usual.
    qApp->installEventFilter(this);
}

void CHelpPopup::close()
{
    qApp->removeEventFilter(this);
    if (m_popup) {
        m_popup->hide();
        m_popup->deleteLater();
        m_popup = nullptr;
    }
}

bool CHelpPopup::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride: // a key that is an accelerator never arrives as a key press
    case QEvent::KeyPress:
    case QEvent::ApplicationDeactivate:
        close();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
