#pragma once
// The page viewer: shows the page at BrowserURL under the title BrowserTitle, both
// set by its opener before it is shown. Opened for the help page, it hands control
// back to the main window when it closes.

#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace qern {

class WindowSet;
struct SharedState;

class frmBrowser : public QWidget {
    Q_OBJECT

public:
    explicit frmBrowser(WindowSet &windows);

    QTextBrowser *brwWebBrowser = nullptr;
    QPushButton *cmdClose = nullptr;

    void showForm();
    // Shows the local page at address; a page that is not there says so in the viewer.
    void Navigate(const QString &address);

public slots:
    void Form_Load();
    void cmdClose_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    SharedState &m_state;
};

} // namespace qern
