// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/Unit19.h"

#include "preview/Preview.h"
#include "store/funUnit.h"
#include "uikit/FrameController.h"
#include "uikit/FrameGlyphs.h"
#include "uikit/MessageBox.h"
#include "uikit/MyImage.h"
#include "uikit/Reporting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace {

// The scale box's items in their order; the first seven are zoom percentages.
enum TScaleItem {
    Scale200,
    Scale150,
    Scale100,
    Scale75,
    Scale50,
    Scale25,
    Scale10,
    PageWidth,
    PageHeight,
    WholePage
};
constexpr std::array<int, 7> ScalePercent = {200, 150, 100, 75, 50, 25, 10};

// The smallest percentage item above the zoom, or -1 at 200 % or more.
int ZoomInItem(int zoom) {
    for (int item = Scale10; item >= Scale200; --item)
        if (zoom < ScalePercent[static_cast<size_t>(item)])
            return item;
    return -1;
}

// The largest percentage item below the zoom, or -1 at 10 % or less.
int ZoomOutItem(int zoom) {
    for (int item = Scale200; item <= Scale10; ++item)
        if (zoom > ScalePercent[static_cast<size_t>(item)])
            return item;
    return -1;
}

struct TPaperChoice {
    TPaperType type;
    const char* name;
};

// The settings window's page size list, 0 "A4" to 5 "B5"; 6 is "Custom".
constexpr std::array<TPaperChoice, 6> NamedPapers = {
    {{pA4, "A4"}, {pA5, "A5"}, {pLegal, "Legal"}, {pLetter, "Letter"}, {pB4, "B4"}, {pB5, "B5"}}};

// The paper label's width: the panel's less its margins.
constexpr int Label6PanelWidth = 149;

QString Centimetres(int32_t tenthsOfMillimetre) {
    return QString::fromStdString(FormatTwoDecimals(tenthsOfMillimetre / 100.0));
}

} // namespace

TForm19::TForm19(QWidget* parent)
    : TSkinnedDialog("Form19", TFrameKind::Preview, "Preview", parent) {
    CreateControls();
    ConnectControls();
}

void TForm19::ConnectControls() {
    ConnectReporting(ComboBox1, &QComboBox::activated, this, &TForm19::ComboBox1Change);
    ConnectReporting(ToolButton1, &QToolButton::clicked, this, &TForm19::ToolButton1Click);
    ConnectReporting(ToolButton2, &QToolButton::clicked, this, &TForm19::ToolButton2Click);
    ConnectReporting(ToolButton3, &QToolButton::clicked, this, &TForm19::ToolButton3Click);
    ConnectReporting(ToolButton4, &QToolButton::clicked, this, &TForm19::ToolButton4Click);
    ConnectReporting(ToolButton5, &QToolButton::clicked, this, &TForm19::ToolButton5Click);
    ConnectReporting(ToolButton6, &QToolButton::clicked, this, &TForm19::ToolButton6Click);
    ConnectReporting(ToolButton7, &QToolButton::clicked, this, &TForm19::ToolButton7Click);
    ConnectReporting(ToolButton8, &QToolButton::clicked, this, &TForm19::ToolButton8Click);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm19::BitBtn1Click);
    ConnectReporting(BitBtn2, &QPushButton::clicked, this, &TForm19::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm19::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void TForm19::FormShow() {
    SetPaper();
    SetOrientation();
    SortByCategory();
    PaginateReport();
    Label4->setText(QString("Total Pages: %1").arg(Layout.PageCount));
    Label4->adjustSize();
    Edit1->setText("1");
    CurrentPage = 1;
    DrawReportPage(1);
    NavigationUpdate();
    ComboBox1->setCurrentIndex(WholePage);
    PrintPreview1->SetZoomState(zsZoomToFit);
    if (PrintJob.PreviewMode)
        BitBtn1->setFocus();
    if (!FirstShowDone)
        MaximizeAtFirstShow();
}

// The sizes of a custom paper are the sheet's in portrait, which the orientation then turns:
// the control is put in portrait before it takes them, so that the page never depends on the
// orientation an earlier report left on it.
void TForm19::SetPaper() {
    const int32_t size = std::clamp(PrintJob.PageSize, 0, static_cast<int32_t>(NamedPapers.size()));
    if (size < static_cast<int32_t>(NamedPapers.size())) {
        const TPaperChoice& paper = NamedPapers[static_cast<size_t>(size)];
        Label6->setText(QString("Paper Type: ") + paper.name);
        PrintPreview1->SetPaperType(paper.type);
    } else {
        Label6->setText("Paper Type: Custom    H: " + Centimetres(PrintJob.PageHeight) + "cm.  " +
                        "W: " + Centimetres(PrintJob.PageWidth) + "cm.");
        PrintPreview1->SetOrientation(poPortrait);
        PrintPreview1->SetPaperType(pCustom);
        const TUnits units = PrintPreview1->Units();
        PrintPreview1->SetPaperSize(
            PrintPreview1->ToUnitsX(PrintJob.PageWidth, mmLoMetric, units),
            PrintPreview1->ToUnitsY(PrintJob.PageHeight, mmLoMetric, units));
    }
    Label6->resize(Label6PanelWidth, Label6->heightForWidth(Label6PanelWidth));
}

void TForm19::SetOrientation() {
    const bool landscape = PrintJob.Landscape == 1;
    PrintPreview1->SetOrientation(landscape ? poLandscape : poPortrait);
    Label5->setText(landscape ? "Orientation: Landscape" : "Orientation: Portrait");
    Label5->adjustSize();
}

// The first set-up of a run fills the work area; restoring gives the designed size in the
// middle of the screen.
void TForm19::MaximizeAtFirstShow() {
    const QRect screen = this->screen()->geometry();
    move(screen.x() + (screen.width() - width()) / 2,
         screen.y() + (screen.height() - height()) / 2);
    FirstShowDone = true;
    if (!Frame->Maximized())
        Frame->Image_MaxClick();
    Frame->Image_Max()->setPixmap(DialogButtonPicture(TFrameGlyph::Restore, false));
}

void TForm19::NavigationUpdate() {
    Edit1->setText(QString::number(CurrentPage));
    const bool atFirst = CurrentPage == 1;
    const bool atLast = CurrentPage == Layout.PageCount;
    ToolButton5->setEnabled(!atFirst);
    ToolButton6->setEnabled(!atFirst);
    ToolButton7->setEnabled(!atLast);
    ToolButton8->setEnabled(!atLast);
}

void TForm19::GoToPage(int page) {
    CurrentPage = std::clamp(page, 1, Layout.PageCount);
    DrawReportPage(CurrentPage);
    NavigationUpdate();
}

void TForm19::ToolButton5Click() {
    GoToPage(1);
}

void TForm19::ToolButton6Click() {
    GoToPage(CurrentPage - 1);
}

void TForm19::ToolButton7Click() {
    GoToPage(CurrentPage + 1);
}

void TForm19::ToolButton8Click() {
    GoToPage(Layout.PageCount);
}

void TForm19::ComboBox1Change() {
    const int item = ComboBox1->currentIndex();
    if (item >= Scale200 && item <= Scale10)
        PrintPreview1->SetZoom(ScalePercent[static_cast<size_t>(item)]);
    else if (item == PageWidth)
        PrintPreview1->SetZoomState(zsZoomToWidth);
    else if (item == PageHeight)
        PrintPreview1->SetZoomState(zsZoomToHeight);
    else if (item == WholePage)
        PrintPreview1->SetZoomState(zsZoomToFit);
    // The control's own keys and wheel work at once.
    if (PrintJob.PreviewMode)
        PrintPreview1->setFocus();
}

void TForm19::PickScale(int item) {
    if (item < 0)
        return;
    ComboBox1->setCurrentIndex(item);
    ComboBox1Change();
}

void TForm19::ToolButton1Click() {
    PickScale(ZoomInItem(PrintPreview1->Zoom()));
}

void TForm19::ToolButton2Click() {
    PickScale(ZoomOutItem(PrintPreview1->Zoom()));
}

void TForm19::ToolButton3Click() {
    PickScale(WholePage);
}

void TForm19::ToolButton4Click() {
    PickScale(Scale100);
}

// The messages belong to this window; while "Print" prints without showing it, to the window
// that is active, the one whose button was pressed.
QWidget* TForm19::MessageOwner() {
    return isVisible() ? this : nullptr;
}

bool TForm19::CanPrint() {
    if (!PrintPreview1->HasPrinter()) {
        ShowErrorBox(MessageOwner(), "Can not find printer, job canceled!");
        return false;
    }
    if (PrintPreview1->DocumentState() != dsIdle) {
        ShowErrorBox(MessageOwner(), "Printer is busy, job canceled!");
        return false;
    }
    return true;
}

void TForm19::BitBtn1Click() {
    if (CanPrint())
        PrintPreview1->PrintAllPages();
}

// Every page is a print job of its own, in page order. The control holds the page on view, so
// that one is printed as it is; the view comes back to it afterwards, so that the page box,
// the page buttons and a later "Print current" all still mean the page on view.
void TForm19::BitBtn2Click() {
    if (!CanPrint())
        return;
    int held = CurrentPage;
    for (int page = 1; page <= Layout.PageCount; ++page) {
        if (page != held) {
            DrawReportPage(page);
            held = page;
        }
        PrintPreview1->PrintAllPages();
    }
    if (held != CurrentPage)
        DrawReportPage(CurrentPage);
}
