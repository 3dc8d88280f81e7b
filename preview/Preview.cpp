// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/Preview.h"

#include "preview/Units.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <new>
#include <utility>

namespace {

constexpr int MaxPaperSize = 32767;

const char* const PageMemoryMessage = "Not enough memory to create a new page";

// The same pixels as an 8-bit image with a table of their exact colours, or a null image when
// there are more than 256 of them.
QImage WithColourTable(const QImage& straight) {
    constexpr int mostColours = 256;
    QList<QRgb> colours;
    QHash<QRgb, uchar> indexOf;
    QImage indexed(straight.size(), QImage::Format_Indexed8);
    for (int y = 0; y < straight.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0; x < straight.width(); ++x) {
            auto known = indexOf.constFind(from[x]);
            if (known == indexOf.constEnd()) {
                if (colours.size() == mostColours)
                    return QImage();
                known = indexOf.insert(from[x], uchar(colours.size()));
                colours.append(from[x]);
            }
            to[x] = *known;
        }
    }
    indexed.setColorTable(colours);
    return indexed;
}

} // namespace

TPrintPreview::TPrintPreview(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFont("Arial", 8));
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    pages_ = new TMetafileList(this);
    connect(pages_, &TMetafileList::ListChanged, this, &TPrintPreview::PagesChanged);
    connect(pages_, &TMetafileList::PageChanged, this, &TPrintPreview::PageChanged);
    sheet_ = new TPaperPreview(viewport());
    sheet_->hide();
    sheet_->installEventFilter(this);
    sheet_->SetPagePainter(
        [this](QPainter& painter, const QRect& paper) { PaintPage(painter, paper); });
    SetPaperView(paperView_);
    const TPaperInfo& a4 = PaperInfo(pA4);
    paperSize_ = QSize(ToUnitsX(a4.Width, a4.Units, units_), ToUnitsY(a4.Height, a4.Units, units_));
    pagePixels_ = PaperInScreenPixels();
}

// The painters are members after what they paint on, so they end first.
TPrintPreview::~TPrintPreview() = default;

// ---- Units and paper --------------------------------------------------------------------

int TPrintPreview::ToUnitsX(int value, TUnits from, TUnits to) const {
    return ConvertUnits(value, from, to, logicalDpiX(), logicalDpiX());
}

int TPrintPreview::ToUnitsY(int value, TUnits from, TUnits to) const {
    return ConvertUnits(value, from, to, logicalDpiY(), logicalDpiY());
}

QPoint TPrintPreview::ToUnits(const QPoint& point, TUnits from, TUnits to) const {
    return QPoint(ToUnitsX(point.x(), from, to), ToUnitsY(point.y(), from, to));
}

QSize TPrintPreview::PaperInScreenPixels() const {
    return QSize(std::max(1, ToUnitsX(paperSize_.width(), units_, mmPixel)),
                 std::max(1, ToUnitsY(paperSize_.height(), units_, mmPixel)));
}

QSize TPrintPreview::PortraitSize() const {
    return orientation_ == poLandscape ? paperSize_.transposed() : paperSize_;
}

void TPrintPreview::PaperChanged() {
    pagePixels_ = PaperInScreenPixels();
    UpdateZoom();
}

void TPrintPreview::SetPaperType(TPaperType type) {
    if (type == paperType_ || DocumentOpen())
        return;
    paperType_ = type;
    formName_.clear();
    if (type != pCustom) {
        const TPaperInfo& info = PaperInfo(type);
        const QSize portrait(ToUnitsX(info.Width, info.Units, units_),
                             ToUnitsY(info.Height, info.Units, units_));
        paperSize_ = orientation_ == poLandscape ? portrait.transposed() : portrait;
    }
    PaperChanged();
}

void TPrintPreview::SetPaperTypeByCode(int code) {
    SetPaperType(PaperTypeOfCode(code));
}

void TPrintPreview::SetPaperSize(int width, int height) {
    width = std::clamp(width, 1, MaxPaperSize);
    height = std::clamp(height, 1, MaxPaperSize);
    // A custom paper of a listed size still finds its type.
    if (DocumentOpen() || (QSize(width, height) == paperSize_ && paperType_ != pCustom))
        return;
    paperSize_ = QSize(width, height);
    const QSize portrait = PortraitSize();
    paperType_ = pCustom;
    for (int type = 0; type < pCustom; ++type) {
        const TPaperInfo& info = PaperInfo(static_cast<TPaperType>(type));
        if (ToUnitsX(portrait.width(), units_, info.Units) == info.Width &&
            ToUnitsY(portrait.height(), units_, info.Units) == info.Height) {
            paperType_ = static_cast<TPaperType>(type);
            break;
        }
    }
    formName_.clear();
    PaperChanged();
}

void TPrintPreview::SetPaperWidth(int width) {
    SetPaperSize(width, paperSize_.height());
}

void TPrintPreview::SetPaperHeight(int height) {
    SetPaperSize(paperSize_.width(), height);
}

void TPrintPreview::SetOrientation(TPrinterOrientation orientation) {
    if (orientation == orientation_ || DocumentOpen())
        return;
    orientation_ = orientation;
    paperSize_.transpose();
    PaperChanged();
}

void TPrintPreview::SetUnits(TUnits units) {
    if (units == units_)
        return;
    if (paperType_ == pCustom) {
        paperSize_ = QSize(ToUnitsX(paperSize_.width(), units_, units),
                           ToUnitsY(paperSize_.height(), units_, units));
    } else {
        const TPaperInfo& info = PaperInfo(paperType_);
        const QSize portrait(ToUnitsX(info.Width, info.Units, units),
                             ToUnitsY(info.Height, info.Units, units));
        paperSize_ = orientation_ == poLandscape ? portrait.transposed() : portrait;
    }
    if (canvas_) {
        QPen pen = canvas_->pen();
        pen.setWidth(ToUnitsX(pen.width(), units_, units));
        canvas_->setPen(pen);
    }
    units_ = units;
    if (canvas_)
        MapCanvasForPaper();
    PaperChanged();
}

// ---- Document ---------------------------------------------------------------------------

std::unique_ptr<TPagePicture> TPrintPreview::MakePagePicture() {
    return std::make_unique<TPagePicture>();
}

void TPrintPreview::MapCanvasForPaper() {
    MapPictureCanvas(*canvas_, *page_, paperSize_, pagePixels_, logicalDpiX(), logicalDpiY());
}

void TPrintPreview::StartPage() {
    std::unique_ptr<TPagePicture> picture = MakePagePicture();
    auto canvas = std::make_unique<QPainter>();
    if (!canvas->begin(picture.get()))
        throw std::bad_alloc();
    canvas->setFont(font());
    page_ = std::move(picture);
    canvas_ = std::move(canvas);
    MapCanvasForPaper();
}

void TPrintPreview::DropPage() {
    canvas_.reset();
    page_.reset();
}

void TPrintPreview::ClosePage() {
    canvas_->end();
    canvas_.reset();
    const std::unique_ptr<TPagePicture> page = std::move(page_);
    if (directDocument_)
        PlayPage(*printerCanvas_, *page, PrintTarget(*Printer()));
    else
        pages_->Add(*page);
}

template <typename Step> void TPrintPreview::OrAbandonDocument(Step step) {
    try {
        step();
    } catch (const std::bad_alloc&) {
        AbandonDocument();
        throw TPreviewError(PageMemoryMessage);
    } catch (...) {
        AbandonDocument();
        throw;
    }
}

void TPrintPreview::AbandonDocument() {
    if (!aborted_)
        AbortDoc();
}

void TPrintPreview::BeginDoc() {
    if (DocumentOpen())
        return;
    DropPage();
    aborted_ = false;
    if (directPrint_) {
        if (usePrinterOptions_)
            ReadPrinterOptions();
        else
            ApplyPrinterOptions();
        pagePixels_ = PaperInScreenPixels();
        BeginPrinterJob(*Printer());
        directDocument_ = true;
        state_ = dsPrinting;
    } else {
        pages_->Clear();
        if (usePrinterOptions_)
            ReadPrinterOptions();
        state_ = dsRecording;
        pagePixels_ = PaperInScreenPixels();
    }
    recordedPixels_ = pagePixels_;
    emit DocumentBegun();
    NewPage();
}

void TPrintPreview::NewPage() {
    if (state_ != (directDocument_ ? dsPrinting : dsRecording))
        return;
    OrAbandonDocument([this] {
        if (canvas_) {
            emit PageEnded();
            ClosePage();
            if (directDocument_)
                Printer()->newPage();
        }
        StartPage();
    });
    emit PageStarted();
}

void TPrintPreview::EndDoc() {
    if (state_ != (directDocument_ ? dsPrinting : dsRecording))
        return;
    OrAbandonDocument([this] {
        if (canvas_) {
            emit PageEnded();
            ClosePage();
        }
    });
    if (directDocument_) {
        directDocument_ = false;
        EndPrinterJob(true);
    }
    pages_->Trim();
    emit DocumentEnded();
    state_ = dsIdle;
}

void TPrintPreview::AbortDoc() {
    if (!DocumentOpen() || aborted_)
        return;
    aborted_ = true;
    emit DocumentAborted();
    DropPage();
    if (state_ == dsRecording) {
        pages_->Clear();
        state_ = dsIdle;
    } else if (directDocument_) {
        directDocument_ = false;
        EndPrinterJob(false);
        state_ = dsIdle;
    } else {
        // A print run stops at its next page and ends the job itself.
        Printer()->abort();
    }
}

// ---- Pages ------------------------------------------------------------------------------

QPicture TPrintPreview::Page(int page) const {
    return pages_->Page(page - 1);
}

void TPrintPreview::ReplacePage(int page, const QPicture& picture) {
    if (page >= 1 && page <= TotalPages())
        pages_->Replace(page - 1, picture);
}

void TPrintPreview::Clear() {
    if (state_ == dsIdle)
        pages_->Clear();
}

void TPrintPreview::SetUseTempFile(bool useTempFile) {
    pages_->SetUseTempFile(useTempFile);
}

void TPrintPreview::DrawGraphicFitted(const QRect& rect, const QPixmap& graphic,
                                      int horizontalAlignment, int verticalAlignment) {
    DrawGraphicFitted(rect, graphic.toImage(), horizontalAlignment, verticalAlignment);
}

void TPrintPreview::DrawGraphicFitted(const QRect& rect, const QImage& graphic,
                                      int horizontalAlignment, int verticalAlignment) {
    if (!canvas_ || graphic.isNull() || rect.isEmpty())
        return;
    int width = ToUnitsX(graphic.width(), mmPixel, units_);
    int height = ToUnitsY(graphic.height(), mmPixel, units_);
    if (width > rect.width() || height > rect.height()) {
        if (qint64(rect.height()) * width > qint64(height) * rect.width()) {
            height = MulDivRound(height, rect.width(), width);
            width = rect.width();
        } else {
            width = MulDivRound(width, rect.height(), height);
            height = rect.height();
        }
    }
    const auto place = [](int alignment, int start, int room, int size) {
        switch (alignment) {
        case 0:
            return start;
        case 2:
            return start + room - size;
        default:
            return start + (room - size) / 2;
        }
    };
    const QRect target(place(horizontalAlignment, rect.left(), rect.width(), width),
                       place(verticalAlignment, rect.top(), rect.height(), height), width, height);
    // Stretched without smoothing: a small picture keeps its crisp pixels on paper.
    canvas_->save();
    canvas_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas_->drawImage(target, PictureForPage(graphic));
    canvas_->restore();
}

// A page stores each picture drawn on it as a PNG image, and the same few pictures come back
// on every page of a report: each is converted once. A picture of at most 256 colours (every
// icon of 16 by 16 is one) goes in as the same pixels with a colour table, which is written
// several times faster than full colour; any other one with alpha goes in straight alpha,
// written in half the time it takes from premultiplied alpha.
QImage TPrintPreview::PictureForPage(const QImage& graphic) {
    const auto found = pagePictures_.find(graphic.cacheKey());
    if (found != pagePictures_.end())
        return found->second;
    constexpr std::size_t mostKept = 64;
    if (pagePictures_.size() >= mostKept)
        pagePictures_.clear();
    QImage& kept = pagePictures_[graphic.cacheKey()];
    const bool alpha = graphic.hasAlphaChannel();
    QImage straight = graphic.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (graphic.depth() <= 32)
        kept = WithColourTable(straight);
    if (kept.isNull())
        kept = alpha ? std::move(straight) : graphic;
    return kept;
}
