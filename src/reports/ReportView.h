#pragma once
// What the listening and the session report views share: the sort key and order, and
// the output file the report would be saved to, each kept as a setting. Building,
// sorting, printing and saving the report itself are not part of this version: the
// window says so.

#include <QString>
#include <QWidget>

#include "ReportSettings.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qern {

class WindowSet;

class ReportView : public QWidget {
    Q_OBJECT

public:
    QLabel *lblNotBuilt = nullptr;
    QListWidget *lstSortBy = nullptr;
    QRadioButton *optAscending = nullptr;
    QRadioButton *optDescending = nullptr;

    QRadioButton *optText = nullptr;
    QRadioButton *optExcel = nullptr;
    QLineEdit *txtFileName = nullptr;
    QPushButton *Command3 = nullptr; // the path chooser
    QPushButton *cmdClose = nullptr;

    void showForm();

public slots:
    void Form_Load();
    void Command3_Click();
    void cmdClose_Click();

protected:
    // What tells one report view from the other.
    struct Kind {
        const char *objectName;
        QString title;
        QString notBuiltText;
        QString nothingWrittenText; // shown once the file name is stored
        const char *sortButtonName;
        const char *saveAsButtonName;
        const char *saveButtonName;
        QString saveCaption;
        ReportSortNames sortNames;
        ReportFileNames fileNames;
        int textChooserMode; // FileOperationMode for a text file
        int csvChooserMode;
        void (WindowSet::*unload)();
    };
    ReportView(WindowSet &windows, const Kind &kind);

    QPushButton *sortButton() const { return m_sort; }
    QPushButton *saveAsButton() const { return m_saveAs; }
    QPushButton *saveButton() const { return m_save; }

    // "Sort": stores the key and order.
    void storeSortOrder();
    // "Save As...": presets the last file name of the kind chosen.
    void presetLastFileName();
    // "Save"/"OK": stores the file name; no report is written, and the user is told so.
    void storeFileName();

    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    Kind m_kind;
    QPushButton *m_sort = nullptr;
    QPushButton *m_saveAs = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace qern
