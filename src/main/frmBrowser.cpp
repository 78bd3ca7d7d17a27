#include "frmBrowser.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "FileIo.h"
#include "FormSupport.h"
#include "SharedState.h"
#include "WindowSet.h"

namespace qern {

namespace {

const QString kHelpTitle = QStringLiteral("QERN Help");

} // namespace

frmBrowser::frmBrowser(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowTitle(kHelpTitle);

    brwWebBrowser = new QTextBrowser(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->setOpenExternalLinks(true);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(brwWebBrowser, 1);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
    resize(720, 560);

    connect(cmdClose, &QPushButton::clicked, this, &frmBrowser::cmdClose_Click);
}

void frmBrowser::showForm()
{
    bringToFront(this);
}

void frmBrowser::Form_Load()
{
    setWindowTitle(m_state.BrowserTitle);
    Navigate(m_state.BrowserURL);
}

void frmBrowser::Navigate(const QString &address)
{
    if (!fileExists(address)) {
        brwWebBrowser->setSource(QUrl());
        brwWebBrowser->setHtml(
            QStringLiteral("<html><body><h2>The page cannot be displayed</h2><p>%1 was not found.</p></body></html>")
                .arg(address.toHtmlEscaped()));
        return;
    }
    brwWebBrowser->setSource(QUrl::fromLocalFile(address));
}

void frmBrowser::cmdClose_Click()
{
    const bool help = m_state.BrowserTitle == kHelpTitle;
    m_windows.unloadBrowser();
    if (help)
        m_windows.returnToMain();
}

void frmBrowser::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdClose_Click();
}

} // namespace qern
