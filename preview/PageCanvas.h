// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPicture>
#include <QPoint>
#include <QRectF>
#include <QSize>

class QPainter;

// A recorded page. Qt sizes a font in points by the logical resolution of the device
// painted on; the picture reports the resolution at which a point on its canvas is a point
// on the paper, and keeps it with the text it records.
class TPagePicture : public QPicture {
public:
    void SetFontResolution(int dpiX, int dpiY);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int dpiX_ = 96;
    int dpiY_ = 96;
};

// Plays a picture recorded at pictureSize into the target rectangle of the painter's device.
void PlayPicture(QPainter& painter, const QPicture& picture, const QSize& pictureSize,
                 const QRectF& target);

// Maps a page canvas: the window is the paper in the control's units, the viewport the
// paper in the device's pixels, moved by the device's offset from the paper's corner.
void MapPageCanvas(QPainter& canvas, QSize paperInUnits, QSize paperInDevicePixels,
                   QPoint deviceOffset);

// Maps a canvas on a page picture whose pixels are the screen's and gives it the font
// resolution for the paper.
void MapPictureCanvas(QPainter& canvas, TPagePicture& picture, QSize paperInUnits,
                      QSize paperInScreenPixels, int screenDpiX, int screenDpiY);
