#pragma once
// "Master Log Clear": empties the logbooks of the ticked listening locations and
// takes those locations' bits off every beacon. Shown modal from the main window;
// the statistics walk writes the boxes' captions and visibility.

#include <QDialog>

#include <array>

#include "SharedState.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace qern {

class WindowSet;
struct DatabaseStatistics;

class frmMasterLogClear : public QDialog {
    Q_OBJECT

public:
    explicit frmMasterLogClear(WindowSet &windows);

    QLabel *Label1 = nullptr;
    std::array<QCheckBox *, kLocationCount> chklog{};
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdExit = nullptr;

    // The boxes' captions and visibility and cmdDelete, from a statistics walk.
    void applyStatistics(const DatabaseStatistics &statistics);

    // Bit i set when box i is ticked.
    quint16 selectionMask() const;

    // Runs the window modal until its exit; the window is unloaded afterwards.
    void showModal();

public slots:
    void cmdDelete_Click();
    void cmdExit_Click();

protected:
    void reject() override;

private:
    WindowSet &m_windows;
    SharedState &m_state;
};

} // namespace qern
