// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/HitTest.h"

#include <QObject>
#include <QPixmap>
#include <QRect>

#include <optional>

class QLabel;
class QMouseEvent;
class QPainter;
class TMyImage;

enum class TFrameKind {
    // The main window: strip frame, minimize, maximize and close, resizable.
    Main,
    // The reminder popup: 13-row strip frame with a small close button, no title.
    Popup,
    // The dialog frame with a title and a close button, dragged by its title bar.
    Dialog,
    // The print preview: the dialog frame with maximize and close, resizable.
    Preview,
};

// The skinned frame of one borderless window, written once for all of them.
//
// A window creates one in its constructor and keeps the pointer:
//
//     frame_ = new TFrameController(this, TFrameKind::Dialog);
//     frame_->SetTitle("Options");
//     frame_->SetBlackLineRow(183);
//
// That is all. The controller makes the window frameless, gives it its background colour,
// creates the title label and the frame buttons as children of the window, and watches the
// window's events through an event filter: it draws the frame at the start of every paint
// event (so the window's own paintEvent and its children draw over the frame), follows
// resizes (buttons, title, rounded region), centres the window on its first show and answers
// presses and double clicks on the window's surface by hit zone. The buttons close the window
// through close(), so the window's own closeEvent runs; minimize uses showMinimized().
class TFrameController : public QObject {
    Q_OBJECT

public:
    TFrameController(QWidget* window, TFrameKind kind);

    // Sets the title text and sizes the label to it (not on the popup, which has no title).
    // The main window's title is kept centred at top 5; a dialog's goes to (14, 14) and may be
    // moved by the window afterwards.
    void SetTitle(const QString& text);
    // Draws a black line from x = 51 to x = 302 on this row under the dialog frame's band.
    void SetBlackLineRow(int row);

    // The frame's controls; null where the window kind has none.
    QLabel* Label1() const { return label1_; }
    TMyImage* Image_Min() const { return minButton_; }
    TMyImage* Image_Max() const { return maxButton_; }
    TMyImage* Image_Close() const { return closeButton_; }

    bool Maximized() const { return maximized_; }
    QRect SavedBounds() const { return savedBounds_; }

    // What lies under a point in the window's coordinates.
    THitZone WMNCHitTest(QPoint point) const;

    // Maximizes or restores the main window or the print preview; the maximize button and
    // double clicks in the caption rows call it, and a window may too.
    void Image_MaxClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateButtons();
    TMyImage* CreateButton(const QPixmap& normal, const QPixmap& hover, const char* name,
                           const QString& accessibleName);
    void ShowMaxPicture(bool hover);
    void NameMaxButton();
    void FormPaint(QPainter& painter) const;
    void FormResize();
    void CentreOnWorkArea();
    bool FrameMouseEvent(QWidget* target, QMouseEvent* event);
    void StartDrag(THitZone zone, QPoint pointer);
    void FillWorkArea(const QRect& workArea);

    QWidget* window_;
    TFrameKind kind_;
    std::optional<int> blackLineRow_;
    bool centred_ = false;
    bool maximized_ = false;
    QRect savedBounds_;
    QMetaObject::Connection workAreaLink_;
    // The zone of a press that will drag or resize the window once the pointer moves.
    std::optional<THitZone> pressedZone_;
    QPoint pressedAt_;
    // A move or resize that follows the pointer ourselves, where the window system does not
    // offer one (a bare X server without a window manager, say).
    struct TManualDrag {
        THitZone zone;
        QPoint pointerStart;
        QRect geometryStart;
    };
    std::optional<TManualDrag> manualDrag_;

    QLabel* label1_ = nullptr;
    TMyImage* minButton_ = nullptr;
    TMyImage* maxButton_ = nullptr;
    TMyImage* closeButton_ = nullptr;

    QPixmap ImageClose;
    QPixmap ImageCloseOn;
    QPixmap imageMin;
    QPixmap ImageMinOn;
    QPixmap ImageMax;
    QPixmap ImageMaxOn;
    QPixmap ImageNormal;
    QPixmap ImageNormalOn;
};
