// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "preview/PageCanvas.h"
#include "preview/Preview.h"

#include <QImage>
#include <QPainter>
#include <functional>

inline QSize PaperSize(const TPrintPreview& preview) {
    return QSize(preview.PaperWidth(), preview.PaperHeight());
}

// Records a document of the given number of pages; draw paints page 1, 2, ... on the canvas.
inline void RecordPages(TPrintPreview& preview, int count,
                        const std::function<void(QPainter&, int)>& draw) {
    preview.BeginDoc();
    for (int page = 1; page <= count; ++page) {
        if (page > 1)
            preview.NewPage();
        draw(*preview.PageCanvas(), page);
    }
    preview.EndDoc();
}

// A page as recorded, played on white at the given size.
inline QImage PlayedPage(TPrintPreview& preview, int page, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlayPicture(painter, preview.Page(page),
                QSize(preview.ToUnitsX(preview.PaperWidth(), preview.Units(), mmPixel),
                      preview.ToUnitsY(preview.PaperHeight(), preview.Units(), mmPixel)),
                QRectF(QPointF(0, 0), size));
    return image;
}

// The smallest rectangle holding every pixel of the image that is not near white.
inline QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
