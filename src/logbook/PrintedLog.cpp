#include "PrintedLog.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>

#include "LogView.h"
#include "Text.h"

namespace qern {

namespace {

QFont regularFont(const QString &family, int pointSize, QFont::StyleHint hint)
{
    QFont font(family, pointSize);
    font.setStyleHint(hint);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    if (hint == QFont::TypeWriter)
        font.setFixedPitch(true);
    return font;
}

} // namespace

QFont printedHeadingFont()
{
    return regularFont(QStringLiteral("Arial"), 15, QFont::SansSerif);
}

QFont printedBodyFont()
{
    return regularFont(QStringLiteral("Courier New"), 8, QFont::TypeWriter);
}

QFont printedPageNumberFont()
{
    return regularFont(QStringLiteral("Arial"), 10, QFont::SansSerif);
}

frmPrintProgress::frmPrintProgress(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmPrintProgress"));
    setWindowTitle(QStringLiteral("QERN"));
    Label2 = new QLabel(QStringLiteral("Formatting and Printing"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setAlignment(Qt::AlignCenter);
    auto *column = new QVBoxLayout(this);
    column->addWidget(Label2);
    column->addWidget(lblProgress);
    setFixedSize(260, 90);
}

QString PrintOutcome::messageText() const
{
    if (errorNumber == kPrinterError)
        return QString::number(kPrinterError) + QStringLiteral(" Printer not found.");
    return QStringLiteral("Error # %1: %2").arg(errorNumber).arg(description);
}

std::unique_ptr<QPrinter> defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setCopyCount(1);
    return printer;
}

LogPrinter::LogPrinter(QPrinter &printer) : m_printer(printer) {}

LogPrinter::~LogPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

double LogPrinter::twipsToDevice(double twips) const
{
    return twips * m_printer.resolution() / kTwipsPerInch;
}

double LogPrinter::deviceToTwips(double device) const
{
    return device * kTwipsPerInch / m_printer.resolution();
}

void LogPrinter::setFont(const QFont &font)
{
    m_painter.setFont(font);
}

void LogPrinter::printText(const QByteArray &text)
{
    const QFontMetricsF metrics(m_painter.font(), &m_printer);
    m_painter.drawText(QPointF(twipsToDevice(m_currentX), twipsToDevice(m_currentY) + metrics.ascent()),
                       fromWindows1252(text));
    m_currentY += deviceToTwips(metrics.height());
    m_currentX = 0;
}

void LogPrinter::printEmptyLine()
{
    const QFontMetricsF metrics(m_painter.font(), &m_printer);
    m_currentY += deviceToTwips(metrics.height());
    m_currentX = 0;
}

void LogPrinter::rule()
{
    const double y = twipsToDevice(m_currentY);
    m_painter.drawLine(QPointF(twipsToDevice(kMarginTwips), y),
                       QPointF(twipsToDevice(m_widthTwips - kMarginTwips), y));
}

void LogPrinter::CheckHeaderAndFooter()
{
    if (m_heightTwips < m_currentY + kFooterRoomTwips)
        PrintLogPageFooter();
    if (m_currentY == 0)
        PrintLogPageHeader();
}

void LogPrinter::PrintLogPageHeader()
{
    setFont(printedHeadingFont());
    m_currentY = 0;
    printEmptyLine();
    printText(m_pages ? m_pages->heading : QByteArray());
    printEmptyLine();
    printText(QByteArray(kPrintedLogSubheading));
    printEmptyLine();
    setFont(printedBodyFont());
    printText(QByteArray(kPrintedLogColumnHeading));
    printEmptyLine();
    rule();
    printEmptyLine();
    m_currentX = 0;
}

void LogPrinter::PrintLogPageFooter()
{
    printEmptyLine();
    setFont(printedPageNumberFont());
    printEmptyLine();
    rule();
    printEmptyLine();
    const QByteArray pageText = "Page - " + QByteArray::number(m_page);
    const QFontMetricsF metrics(m_painter.font(), &m_printer);
    m_currentX = (m_widthTwips - deviceToTwips(metrics.horizontalAdvance(fromWindows1252(pageText)))) / 2;
    printText(pageText);
    if (!m_printer.newPage())
        m_pageFailed = true;
    ++m_page;
    m_currentY = 0;
    m_currentX = 0;
    // The body font goes on after a page break, as it was before the footer.
    setFont(printedBodyFont());
}

PrintOutcome LogPrinter::print(const PrintedLogPages &pages, const std::function<void()> &letEventsRun)
{
    PrintOutcome outcome;
    if (!m_painter.begin(&m_printer)) {
        outcome.errorNumber = kPrinterError;
        outcome.description = QStringLiteral("Printer not found.");
        return outcome;
    }
    m_pages = &pages;
    const QRectF page = m_printer.pageRect(QPrinter::DevicePixel);
    m_widthTwips = deviceToTwips(page.width());
    m_heightTwips = deviceToTwips(page.height());
    m_page = 1;
    m_currentX = 0;
    m_currentY = 0;
    setFont(printedBodyFont());

    CheckHeaderAndFooter();
    for (const QByteArray &line : pages.lines) {
        if (letEventsRun)
            letEventsRun();
        CheckHeaderAndFooter();
        printText(line);
        if (m_pageFailed)
            break;
    }
    if (!m_pageFailed) {
        CheckHeaderAndFooter();
        printEmptyLine();
        CheckHeaderAndFooter();
        rule();
        printEmptyLine();
        CheckHeaderAndFooter();
        printText(pages.closing);
    }
    // The last page ends the job without a page number.
    const bool ended = m_painter.end();
    m_pages = nullptr;
    outcome.pages = m_page;
    if (m_pageFailed || !ended || m_printer.printerState() == QPrinter::Error) {
        outcome.errorNumber = kPrinterError;
        outcome.description = QStringLiteral("Printer not found.");
    }
    return outcome;
}

} // namespace qern
