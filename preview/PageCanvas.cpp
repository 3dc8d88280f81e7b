// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/PageCanvas.h"

#include "preview/Units.h"

#include <QPainter>
#include <algorithm>

void TPagePicture::SetFontResolution(int dpiX, int dpiY) {
    dpiX_ = dpiX;
    dpiY_ = dpiY;
}

int TPagePicture::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return dpiX_;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return dpiY_;
    default:
        return QPicture::metric(metric);
    }
}

void MapPageCanvas(QPainter& canvas, QSize paperInUnits, QSize paperInDevicePixels,
                   QPoint deviceOffset) {
    canvas.setWindow(0, 0, paperInUnits.width(), paperInUnits.height());
    canvas.setViewport(-deviceOffset.x(), -deviceOffset.y(), paperInDevicePixels.width(),
                       paperInDevicePixels.height());
}

void MapPictureCanvas(QPainter& canvas, TPagePicture& picture, QSize paperInUnits,
                      QSize paperInScreenPixels, int screenDpiX, int screenDpiY) {
    // A point is 1/72 inch of paper: the resolution is the paper's units per inch, the
    // device's pixels per inch times units per device pixel.
    picture.SetFontResolution(
        std::max(1, MulDivRound(screenDpiX, paperInUnits.width(), paperInScreenPixels.width())),
        std::max(1, MulDivRound(screenDpiY, paperInUnits.height(), paperInScreenPixels.height())));
    MapPageCanvas(canvas, paperInUnits, paperInScreenPixels, QPoint());
    // The font is set again so that its size in points is taken at the new resolution.
    canvas.setFont(canvas.font());
}

void PlayPicture(QPainter& painter, const QPicture& picture, const QSize& pictureSize,
                 const QRectF& target) {
    // A picture plays scaled by the device's resolution over the resolution pictures are
    // made at; that is taken out again, so that the picture fills the target exactly.
    const QPicture made;
    const QPaintDevice& device = *painter.device();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / pictureSize.width() * made.logicalDpiX() / device.logicalDpiX(),
                  target.height() / pictureSize.height() * made.logicalDpiY() /
                      device.logicalDpiY());
    painter.drawPicture(0, 0, picture);
    painter.restore();
}
