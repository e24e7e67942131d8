#include "editor/ui/DocumentPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include <memory>

namespace {

qreal screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

int DocumentPrinter::print(const QTextDocument &text,
                           const QFont &font,
                           QPrinter *printer,
                           const FormatSource &colours)
{
    if (!printer)
        return 0;
    const qreal margin = MarginTwips / 1440.0;
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Inch);

    // A font given in pixels would print at the printer's pixel size: a speck.
    QFont printFont = font;
    if (printFont.pixelSize() > 0)
        printFont.setPointSizeF(printFont.pixelSize() * 72.0 / screenDpi());

    QPainter painter;
    if (!painter.begin(printer))
        return 0;

    std::unique_ptr<QTextDocument> copy(text.clone());
    copy->setDefaultFont(printFont);
    copy->setDocumentMargin(0);
    QTextOption option = text.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab stops were measured on the screen; the printer counts its own pixels.
    option.setTabStopDistance(text.defaultTextOption().tabStopDistance() * printer->logicalDpiX()
                              / screenDpi());
    copy->setDefaultTextOption(option);
    if (colours) {
        QTextBlock source = text.firstBlock();
        for (QTextBlock target = copy->firstBlock(); target.isValid() && source.isValid();
             target = target.next(), source = source.next()) {
            const QList<QTextLayout::FormatRange> formats = colours(source);
            if (!formats.isEmpty())
                target.layout()->setFormats(formats);
        }
    }

    QAbstractTextDocumentLayout *layout = copy->documentLayout();
    layout->setPaintDevice(printer);
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    copy->setPageSize(page.size());
    const int pages = copy->pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            printer->newPage();
        painter.save();
        const QRectF clip(0, p * page.height(), page.width(), page.height());
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}
