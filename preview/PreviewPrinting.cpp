// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/Preview.h"

#include "preview/Units.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinterInfo>

namespace {

// A size in whole tenths of a millimetre, the precision printers list their sizes in.
QSize Tenths(const QSizeF& millimetres) {
    return QSize(qRound(millimetres.width() * 10), qRound(millimetres.height() * 10));
}

QSize Tenths(const QPageSize& size) {
    return Tenths(size.size(QPageSize::Millimeter));
}

// The type's own portrait size in tenths of a millimetre. The table has no sizes in pixels,
// so the resolution given does not count.
QSize Tenths(const TPaperInfo& info) {
    return QSize(ConvertUnits(info.Width, info.Units, mmLoMetric, 96, 96),
                 ConvertUnits(info.Height, info.Units, mmLoMetric, 96, 96));
}

QList<QPageSize> PrinterPageSizes(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return {};
    return QPrinterInfo::printerInfo(printer.printerName()).supportedPageSizes();
}

} // namespace

void TPrintPreview::SetPrinter(QPrinter* printer) {
    if (DocumentOpen())
        return;
    printer_ = printer;
    formName_.clear();
}

QPrinter* TPrintPreview::Printer() {
    if (printer_)
        return printer_;
    if (!defaultPrinter_) {
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
            if (!printers.isEmpty())
                info = printers.first();
        }
        defaultPrinter_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    return defaultPrinter_.get();
}

bool TPrintPreview::HasPrinter() const {
    return printer_ || !QPrinterInfo::availablePrinterNames().isEmpty();
}

// The page size the printer is given: the printer's own for a size it lists, else one of
// the paper's size under the name FormName gives it.
QPageSize TPrintPreview::PrinterPageSize(QPrinter& printer) {
    const QSize portraitTenths = paperType_ == pCustom
                                     ? QSize(ToUnitsX(PortraitSize().width(), units_, mmLoMetric),
                                             ToUnitsY(PortraitSize().height(), units_, mmLoMetric))
                                     : Tenths(PaperInfo(paperType_));
    const QList<QPageSize> listed = PrinterPageSizes(printer);
    if (formName_.isEmpty()) {
        for (const QPageSize& size : listed)
            if (Tenths(size) == portraitTenths) {
                formName_ = size.name();
                return size;
            }
        formName_ = QString::asprintf("%umm x %umm", unsigned(portraitTenths.width() / 10),
                                      unsigned(portraitTenths.height() / 10));
    } else {
        for (const QPageSize& size : listed)
            if (size.name().compare(formName_, Qt::CaseInsensitive) == 0)
                return size;
    }
    if (paperType_ == pCustom)
        return QPageSize(QSizeF(portraitTenths) / 10, QPageSize::Millimeter, formName_,
                         QPageSize::ExactMatch);
    const TPaperInfo& info = PaperInfo(paperType_);
    if (info.Units == mmHiEnglish)
        return QPageSize(QSizeF(info.Width, info.Height) / 1000, QPageSize::Inch, formName_);
    return QPageSize(QSizeF(info.Width, info.Height) / 10, QPageSize::Millimeter, formName_);
}

void TPrintPreview::ApplyPrinterOptions() {
    if (!HasPrinter())
        return;
    QPrinter& printer = *Printer();
    printer.setPageSize(PrinterPageSize(printer));
    printer.setPageOrientation(orientation_ == poLandscape ? QPageLayout::Landscape
                                                           : QPageLayout::Portrait);
}

void TPrintPreview::ReadPrinterOptions() {
    if (!HasPrinter())
        return;
    const QPageLayout layout = Printer()->pageLayout();
    SetOrientation(layout.orientation() == QPageLayout::Landscape ? poLandscape : poPortrait);
    const QPageSize size = layout.pageSize();
    const QSize tenths = Tenths(size);
    TPaperType type = pCustom;
    for (int candidate = 0; candidate < pCustom; ++candidate)
        if (Tenths(PaperInfo(static_cast<TPaperType>(candidate))) == tenths) {
            type = static_cast<TPaperType>(candidate);
            break;
        }
    SetPaperType(type);
    if (type == pCustom) {
        const QSize portrait(ToUnitsX(tenths.width(), mmLoMetric, units_),
                             ToUnitsY(tenths.height(), mmLoMetric, units_));
        const QSize onView = orientation_ == poLandscape ? portrait.transposed() : portrait;
        SetPaperSize(onView.width(), onView.height());
    }
    formName_ = size.name();
}

// Where the device's origin lies from the paper's corner, in device pixels.
QPoint TPrintPreview::PrinterOffset(QPrinter& printer) const {
    if (printer.fullPage())
        return QPoint();
    return printer.pageLayout().paintRectPixels(printer.resolution()).topLeft();
}

// The paper on the printer's device, placed so that the page lands on the paper's edges.
QRect TPrintPreview::PrintTarget(QPrinter& printer) const {
    QSize size;
    if (usePrinterOptions_)
        size = printer.pageLayout().fullRectPixels(printer.resolution()).size();
    else
        size = QSize(
            ConvertUnits(paperSize_.width(), units_, mmPixel, logicalDpiX(), printer.logicalDpiX()),
            ConvertUnits(paperSize_.height(), units_, mmPixel, logicalDpiY(),
                         printer.logicalDpiY()));
    return QRect(-PrinterOffset(printer), size);
}

void TPrintPreview::PlayPage(QPainter& painter, const QPicture& page, const QRect& target) const {
    if (fastPrint_) {
        PlayPicture(painter, page, recordedPixels_, target);
    } else {
        QImage bitmap(recordedPixels_, QImage::Format_RGB888);
        bitmap.fill(Qt::white);
        QPainter onBitmap(&bitmap);
        PlayPicture(onBitmap, page, recordedPixels_, bitmap.rect());
        onBitmap.end();
        painter.drawImage(target, bitmap);
    }
}

void TPrintPreview::BeginPrinterJob(QPrinter& printer) {
    printer.setDocName(printJobTitle_);
    auto canvas = std::make_unique<QPainter>();
    if (!canvas->begin(&printer)) {
        printer.setDocName(QString());
        throw TPreviewError("The printer " + printer.printerName().toStdString() +
                            " did not start the print job");
    }
    printerCanvas_ = std::move(canvas);
}

void TPrintPreview::EndPrinterJob(bool complete) {
    QPrinter& printer = *Printer();
    if (!complete)
        printer.abort();
    printerCanvas_->end();
    printerCanvas_.reset();
    printer.setDocName(QString());
}

bool TPrintPreview::Progress(int page, int done, int count) {
    bool cancel = false;
    emit PrintProgress(page, MulDivRound(100, done, count), cancel);
    if (cancel)
        AbortDoc();
    return !aborted_;
}

void TPrintPreview::PrintAllPages() {
    PrintPageRange(1, TotalPages());
}

void TPrintPreview::PrintPageRange(int from, int to) {
    if (DocumentOpen() || !HasPrinter() || TotalPages() == 0 || to < from)
        return;
    // Only pages that exist are printed.
    from = std::max(from, 1);
    to = std::min(to, TotalPages());
    if (to < from)
        return;
    aborted_ = false;
    state_ = dsPrinting;
    bool complete = false;
    const auto finish = [&] {
        if (!complete)
            aborted_ = true;
        if (printerCanvas_)
            EndPrinterJob(complete);
        emit AfterPrint();
        state_ = dsIdle;
    };
    try {
        emit BeforePrint();
        QPrinter& printer = *Printer();
        if (!usePrinterOptions_)
            ApplyPrinterOptions();
        BeginPrinterJob(printer);
        const QRect target = PrintTarget(printer);
        const int count = to - from + 1;
        for (int page = from; page <= to; ++page) {
            if (!Progress(page, page - from, count))
                break;
            // A new sheet only for a page that is going to be printed on it.
            if (page > from)
                printer.newPage();
            PlayPage(*printerCanvas_, pages_->Page(page - 1), target);
            if (!Progress(page, page - from + 1, count))
                break;
            complete = page == to;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
