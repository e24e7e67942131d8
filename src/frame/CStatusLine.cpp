#include "frame/CStatusLine.h"

#include <QLabel>

namespace {
const char kColoured[] = "qvasmideColoured";
}

CStatusLine::CStatusLine(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusLine"));
    QLabel *message = addPane(MessagePane, QStringLiteral("Ready..."), false);
    message->setText(idleText());
    addPane(BusyPane, QString(49, QLatin1Char(' ')), true);
    addPane(LineColumnPane, QStringLiteral("Ln ??????, Col ???? "), true);
    addPane(OverwritePane, QStringLiteral("OVR"), true);
    addPane(CapsPane, QStringLiteral("CAP"), true);
    addPane(NumPane, QStringLiteral("NUM"), true);
    // A command prompt paints over the message pane; once it goes, the pane shows the idle text,
    // not a coloured message from before.
    connect(this, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            setPaneText(MessagePane, idleText());
    });
}

QLabel *CStatusLine::addPane(int id, const QString &sizingText, bool permanent)
{
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("pane_%1").arg(id));
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(2, 0, 2, 0);
    if (permanent) {
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizingText) + 8);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        addPermanentWidget(label);
    } else {
        addWidget(label, 1);
    }
    m_panes.insert(id, label);
    return label;
}

void CStatusLine::setPaneText(int id, const QString &text)
{
    QLabel *label = pane(id);
    if (!label)
        return;
    if (label->property(kColoured).toBool()) {
        label->setProperty(kColoured, false);
        label->setAutoFillBackground(false);
        label->setPalette(QPalette());
        label->setFont(QFont());
    }
    if (label->text() != text)
        label->setText(text);
}

QString CStatusLine::paneText(int id) const
{
    QLabel *label = pane(id);
    return label ? label->text() : QString();
}

void CStatusLine::showColouredMessage(int id, const QString &text, const QColor &colour)
{
    QLabel *label = pane(id);
    if (!label)
        return;
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, colour);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    label->setFont(font);
    label->setText(text);
    label->setProperty(kColoured, true);
}

bool CStatusLine::hasColouredMessage(int id) const
{
    QLabel *label = pane(id);
    return label && label->property(kColoured).toBool();
}
