// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "preview/MetafileList.h"
#include "preview/PageCanvas.h"
#include "preview/PaperPreview.h"
#include "preview/PaperTypes.h"
#include "preview/PreviewError.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QPrinter>
#include <QString>
#include <memory>
#include <unordered_map>

class QPainter;

// The page preview control. It records pages (BeginDoc, drawing on PageCanvas, NewPage,
// EndDoc), shows one of them as a sheet of paper that zooms, scrolls, drags and pages, and
// prints them with the paper size and orientation it was given. Every size and the page
// canvas are in Units.
class TPrintPreview : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TPrintPreview(QWidget* parent = nullptr);
    ~TPrintPreview() override;

    // Paper. Type, size and orientation change only while no document is open.
    TUnits Units() const { return units_; }
    void SetUnits(TUnits units);
    TPaperType PaperType() const { return paperType_; }
    void SetPaperType(TPaperType type);
    // The paper as on view, after orientation.
    int PaperWidth() const { return paperSize_.width(); }
    void SetPaperWidth(int width);
    int PaperHeight() const { return paperSize_.height(); }
    void SetPaperHeight(int height);
    // Each value is kept within 1 .. 32767; the type becomes the first one of that size.
    void SetPaperSize(int width, int height);
    void SetPaperTypeByCode(int code);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation orientation);
    QRect PageRect() const { return QRect(QPoint(0, 0), paperSize_); }
    // Lengths between units; pixels are the screen's.
    int ToUnitsX(int value, TUnits from, TUnits to) const;
    int ToUnitsY(int value, TUnits from, TUnits to) const;
    QPoint ToUnits(const QPoint& point, TUnits from, TUnits to) const;

    // View.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    TZoomState ZoomState() const { return zoomState_; }
    void SetZoomState(TZoomState state);
    int ZoomMin() const { return zoomMin_; }
    void SetZoomMin(int zoom);
    int ZoomMax() const { return zoomMax_; }
    void SetZoomMax(int zoom);
    int ZoomStep() const { return zoomStep_; }
    void SetZoomStep(int step) { zoomStep_ = step; }
    // Keep the relative scroll position when the zoom changes.
    bool ZoomSavePos() const { return zoomSavePos_; }
    void SetZoomSavePos(bool keep) { zoomSavePos_ = keep; }
    // Sizes and places the sheet for the zoom state and the view.
    void UpdateZoom();
    const TPaperPreviewOptions& PaperView() const { return paperView_; }
    void SetPaperView(const TPaperPreviewOptions& options);
    // The ground around the sheet.
    QColor Color() const;
    void SetColor(const QColor& color);
    // Overlay drawn by the Annotate signal's receiver over the page on view.
    bool Annotation() const { return annotation_; }
    void SetAnnotation(bool annotation);
    TPaperPreview* PaperPreview() const { return sheet_; }

    // Document and pages.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void AbortDoc();
    // The canvas of the page being drawn, mapped to the paper in Units; null while no page
    // is open.
    QPainter* PageCanvas() const { return canvas_.get(); }
    TDocumentState DocumentState() const { return state_; }
    int TotalPages() const { return pages_->Count(); }
    int ShownPage() const { return shownPage_; }
    void SetShownPage(int page);
    // Page 1 .. TotalPages as recorded.
    QPicture Page(int page) const;
    // Puts another picture, recorded like a page, in the place of page 1 .. TotalPages.
    void ReplacePage(int page, const QPicture& picture);
    void Clear();
    // Keep the pages in a temporary file instead of memory.
    bool UseTempFile() const { return pages_->UseTempFile(); }
    void SetUseTempFile(bool useTempFile);
    // Draws a picture fitted in a rectangle of the page canvas, shrunk (never enlarged)
    // keeping its proportions; alignment 0 is left or top, 2 right or bottom, else centred.
    void DrawGraphicFitted(const QRect& rect, const QImage& graphic, int horizontalAlignment,
                           int verticalAlignment);
    void DrawGraphicFitted(const QRect& rect, const QPixmap& graphic, int horizontalAlignment,
                           int verticalAlignment);

    // Printing.
    // Record straight to the printer instead of to pages.
    bool DirectPrint() const { return directPrint_; }
    void SetDirectPrint(bool direct) { directPrint_ = direct; }
    // Take paper and orientation from the printer instead of giving them to it.
    bool UsePrinterOptions() const { return usePrinterOptions_; }
    void SetUsePrinterOptions(bool use) { usePrinterOptions_ = use; }
    // Play the recorded pages onto the printer; false: through a bitmap of each page.
    bool FastPrint() const { return fastPrint_; }
    void SetFastPrint(bool fast) { fastPrint_ = fast; }
    QString PrintJobTitle() const { return printJobTitle_; }
    void SetPrintJobTitle(const QString& title) { printJobTitle_ = title; }
    // The printer printed on: the one set here (not owned), else the system's default
    // printer. Null goes back to the default printer.
    void SetPrinter(QPrinter* printer);
    QPrinter* Printer();
    bool HasPrinter() const;
    void PrintAllPages();
    void PrintPageRange(int from, int to);
    // Gives the printer the paper size and orientation, or takes them from it.
    void ApplyPrinterOptions();
    void ReadPrinterOptions();
    // The name of the page size the printer was given, empty until it is known.
    QString FormName() const { return formName_; }

signals:
    void DocumentBegun();
    void DocumentEnded();
    void PageStarted();
    void PageEnded();
    void DocumentAborted();
    // The pages or the page on view changed.
    void Changed();
    // Before and after each printed page: the page and the percentage done. A receiver
    // that sets cancel stops the printing.
    void PrintProgress(int page, int percent, bool& cancel);
    void BeforePrint();
    void AfterPrint();
    void ZoomChanged();
    // Draws the annotation of a page on a canvas mapped like the page canvas.
    void Annotate(int page, QPainter& canvas);

protected:
    // Makes the picture a new page is recorded on; throws std::bad_alloc when it cannot.
    virtual std::unique_ptr<TPagePicture> MakePagePicture();

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Paper.
    QSize PortraitSize() const;
    void PaperChanged();
    QSize PaperInScreenPixels() const;

    // Document.
    bool DocumentOpen() const { return state_ != dsIdle; }
    void StartPage();
    void ClosePage();
    void DropPage();
    void AbandonDocument();
    // Runs a step of the document; when it fails, nothing of the document is kept and the
    // error goes on to the caller's handler (running out of memory as "Not enough memory to
    // create a new page").
    template <typename Step> void OrAbandonDocument(Step step);
    void MapCanvasForPaper();
    QImage PictureForPage(const QImage& graphic);

    // View.
    QSize SheetSize(const QSize& area, int* zoom) const;
    int Extra() const;
    void PlaceSheet();
    void PagesChanged();
    void PageChanged(int index);
    void RebuildAnnotation();
    void PaintPage(QPainter& painter, const QRect& paper);
    void ScrollBy(int dx, int dy);
    void WheelStep(bool away, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
    void DragSheet(const QPoint& globalPos);

    // Printing.
    QPoint PrinterOffset(QPrinter& printer) const;
    QRect PrintTarget(QPrinter& printer) const;
    void BeginPrinterJob(QPrinter& printer);
    void EndPrinterJob(bool complete);
    QPageSize PrinterPageSize(QPrinter& printer);
    void PlayPage(QPainter& painter, const QPicture& page, const QRect& target) const;
    bool Progress(int page, int done, int count);

    TUnits units_ = mmHiMetric;
    TPaperType paperType_ = pA4;
    TPrinterOrientation orientation_ = poPortrait;
    QSize paperSize_;
    // The paper in screen pixels, and the size the pages on record were drawn at.
    QSize pagePixels_;
    QSize recordedPixels_;

    int zoom_ = 100;
    TZoomState zoomState_ = zsZoomToFit;
    int zoomMin_ = 10;
    int zoomMax_ = 500;
    int zoomStep_ = 10;
    bool zoomSavePos_ = true;
    bool updatingZoom_ = false;
    TPaperPreviewOptions paperView_;
    TPaperPreview* sheet_ = nullptr;
    // The sheet's place in the scrolled area, and whether it scrolls each way.
    QPoint sheetOrigin_;
    bool scrollsHorizontally_ = false;
    bool scrollsVertically_ = false;
    bool grabbing_ = false;
    QPoint grabPoint_;
    int wheelAccumulator_ = 0;
    bool annotation_ = false;
    std::unique_ptr<QPicture> annotationPicture_;

    TMetafileList* pages_ = nullptr;
    int shownPage_ = 0;
    TDocumentState state_ = dsIdle;
    bool aborted_ = false;
    bool directPrint_ = false;
    // Whether the open document goes straight to the printer.
    bool directDocument_ = false;
    std::unique_ptr<TPagePicture> page_;
    std::unique_ptr<QPainter> canvas_;
    // Pictures drawn fitted, as the pages keep them, by the drawn image's cache key.
    std::unordered_map<qint64, QImage> pagePictures_;

    bool usePrinterOptions_ = false;
    bool fastPrint_ = true;
    QString printJobTitle_;
    QString formName_;
    QPrinter* printer_ = nullptr;
    std::unique_ptr<QPrinter> defaultPrinter_;
    // The printer's job while a direct document or a print run is open.
    std::unique_ptr<QPainter> printerCanvas_;
};
