#pragma once
// The printed logbook: a heading block on every page, the column heading, one line
// per beacon, a page number under every page that fills, and a closing rule and
// count. Laid out in twips (1440 to the inch) on whatever printer it is given.

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPrinter;

namespace qern {

// Shown while the listing is formatted and printed.
class frmPrintProgress : public QWidget {
    Q_OBJECT

public:
    explicit frmPrintProgress(QWidget *owner = nullptr);

    QLabel *Label2 = nullptr; // "Formatting and Printing"
    QLabel *lblProgress = nullptr;
};

// What one printed log holds, as Windows-1252 bytes.
struct PrintedLogPages {
    QByteArray heading;   // "         NDB LOG for ..."
    QList<QByteArray> lines;
    QByteArray closing;
};

struct PrintOutcome {
    int errorNumber = 0;  // 0: printed
    QString description;
    int pages = 0;
    bool failed() const { return errorNumber != 0; }
    // "482 Printer not found." for a printer error, else "Error # n: description".
    QString messageText() const;
};

inline constexpr int kPrinterError = 482;

// The system's default printer, or none when no printer is installed.
std::unique_ptr<QPrinter> defaultPrinter();

class LogPrinter {
public:
    static constexpr double kTwipsPerInch = 1440.0;
    static constexpr double kMarginTwips = 900.0;    // rules start and end this far in
    static constexpr double kFooterRoomTwips = 1440.0;

    explicit LogPrinter(QPrinter &printer);
    ~LogPrinter();
    LogPrinter(const LogPrinter &) = delete;
    LogPrinter &operator=(const LogPrinter &) = delete;

    // Prints the whole listing and ends the job. letEventsRun runs once per line.
    PrintOutcome print(const PrintedLogPages &pages, const std::function<void()> &letEventsRun = {});

    // A page break when less than 1440 twips remain below the current position, then
    // the heading when the position is at the top of a page.
    void CheckHeaderAndFooter();
    void PrintLogPageHeader();
    void PrintLogPageFooter();

private:
    void setFont(const QFont &font);
    void printText(const QByteArray &text); // at the current x, then down one line
    void printEmptyLine();
    void rule();
    double twipsToDevice(double twips) const;
    double deviceToTwips(double device) const;

    QPrinter &m_printer;
    QPainter m_painter;
    const PrintedLogPages *m_pages = nullptr;
    double m_widthTwips = 0;
    double m_heightTwips = 0;
    double m_currentX = 0; // twips
    double m_currentY = 0; // twips
    int m_page = 1;
    bool m_pageFailed = false;
};

// Fonts of the printed log: heading Arial 15, body Courier New 8, page number Arial 10,
// all regular.
QFont printedHeadingFont();
QFont printedBodyFont();
QFont printedPageNumberFont();

} // namespace qern
