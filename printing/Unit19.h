// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "printing/PrintJob.h"
#include "printing/ReportDrawing.h"
#include "printing/ReportLayout.h"

#include "uikit/SkinnedDialog.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;
class TPrintPreview;

// The print preview window: the task report one page at a time on the page preview control,
// zoomed and paged from the left panel, and printed page by page or whole.
//
// The print settings window fills PrintJob and then either shows this window modally, or
// runs FormShow without showing it and then BitBtn2Click ("Print all").
class TForm19 : public TSkinnedDialog {
    Q_OBJECT

public:
    explicit TForm19(QWidget* parent = nullptr);

    // The show-time set-up: paper and orientation from the job, the task order, the pages,
    // page 1 on view at "Whole Page". Only the first set-up of a run maximizes the window.
    void FormShow() override;

    // The report: the print order, the pages, and one page laid out as the control's only page.
    void SortByCategory();
    void PaginateReport();
    void DrawReportPage(int page);

    // The scale box's choice, applied to the control.
    void ComboBox1Change();
    void ToolButton1Click(); // zoom in
    void ToolButton2Click(); // zoom out
    void ToolButton3Click(); // whole page
    void ToolButton4Click(); // actual size
    void ToolButton5Click(); // first
    void ToolButton6Click(); // previous
    void ToolButton7Click(); // next
    void ToolButton8Click(); // last
    void BitBtn1Click();     // "Print current"
    void BitBtn2Click();     // "Print all"

    TPrintJob PrintJob;
    TReportLayout Layout;
    // The report page on view, from 1.
    int CurrentPage = 1;
    bool FirstShowDone = false;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void PlaceControls();
    void SetPaper();
    void SetOrientation();
    void MaximizeAtFirstShow();
    void NavigationUpdate();
    void GoToPage(int page);
    void PickScale(int item);
    bool CanPrint();
    QWidget* MessageOwner();

    const TReportPictures pictures_;

    // The window's controls are its own; each has its designed name as its object name.
    QWidget* Panel1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QLabel* Label2 = nullptr; // "Scale:"
    QComboBox* ComboBox1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton6 = nullptr;
    QToolButton* ToolButton7 = nullptr;
    QToolButton* ToolButton8 = nullptr;
    QLabel* Label3 = nullptr; // "Page#:"
    QLineEdit* Edit1 = nullptr;
    QLabel* Label4 = nullptr; // "Total Pages:"
    QLabel* Label5 = nullptr; // "Orientation:"
    QLabel* Label6 = nullptr; // "Paper Type:"
    QFrame* Bevel1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Print current"
    QPushButton* BitBtn2 = nullptr; // "Print all"
    QPushButton* BitBtn3 = nullptr; // "Close"
    QFrame* Panel2 = nullptr;
    TPrintPreview* PrintPreview1 = nullptr;
};
