// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "preview/HandCursors.h"

#include <QColor>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <functional>

class QMenu;

// The look of the sheet.
struct TPaperPreviewOptions {
    QColor BorderColor = Qt::black;
    int BorderWidth = 1;
    // The sheet's cursor when it fits the view, when it can be dragged, and while dragged.
    QCursor Cursor = QCursor(Qt::ArrowCursor);
    QCursor DragCursor = OpenHandCursor();
    QCursor GrabCursor = ClosedHandCursor();
    QColor PaperColor = Qt::white;
    // Shown on a right click on the sheet when set; not owned.
    QMenu* PopupMenu = nullptr;
    QColor ShadowColor = QGuiApplication::palette().color(QPalette::Dark);
    int ShadowWidth = 3;
};

// The sheet of paper: border, shadow and the page, painted from a bitmap of the sheet's own
// size. Border and shadow, and the page, each have a mark telling whether the bitmap still
// holds them; the page is played again only when it, the size or the look changes.
class TPaperPreview : public QWidget {
    Q_OBJECT

public:
    explicit TPaperPreview(QWidget* parent = nullptr);

    QColor PaperColor() const { return paperColor_; }
    void SetPaperColor(const QColor& color);
    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& color);
    int BorderSize() const { return borderSize_; }
    void SetBorderSize(int size);
    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(const QColor& color);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int size);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    // The paper inside border and shadow.
    int PaperWidth() const { return width() - 2 * borderSize_ - shadowSize_; }
    int PaperHeight() const { return height() - 2 * borderSize_ - shadowSize_; }
    QRect PaperRect() const;

    // Sizes the sheet and its bitmap; false when the bitmap cannot be made at that size,
    // in which case the sheet paints nothing until it gets a size it can.
    bool SetSheetSize(const QSize& size);
    bool HasBitmap() const { return !bitmap_.isNull(); }

    // Draws the page on view into the paper rectangle; called when the page must be played.
    void SetPagePainter(std::function<void(QPainter&, const QRect&)> painter);
    // The page on view changed: play it again at the next paint.
    void InvalidatePage();

    // How many times the page has been played into the bitmap.
    int PagePlayCount() const { return pagePlays_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void InvalidateAll();
    void PaintFrame(QPainter& painter);
    QColor GroundColor() const;

    QColor paperColor_ = Qt::white;
    QColor borderColor_ = Qt::black;
    int borderSize_ = 1;
    QColor shadowColor_ = Qt::darkGray;
    int shadowSize_ = 3;
    QMenu* popupMenu_ = nullptr;
    std::function<void(QPainter&, const QRect&)> pagePainter_;
    QImage bitmap_;
    bool frameValid_ = false;
    bool pageValid_ = false;
    int pagePlays_ = 0;
};
