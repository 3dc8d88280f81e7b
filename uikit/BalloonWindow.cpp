// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/BalloonWindow.h"

#include "uikit/Activation.h"

#include "uikit/Controls.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

QString BalloonPart(const QString& text, int length) {
    if (text.size() <= length)
        return text;
    // A character outside the basic plane takes two units; it is kept whole or left out.
    const bool splitsPair = text.at(length - 1).isHighSurrogate();
    return text.left(splitsPair ? length - 1 : length);
}

namespace {

Qt::WindowFlags BalloonFlags() {
    // A tooltip where windows are placed by the compositor is a popup placed against its
    // parent window, by the offset meant for the screen's corner, which puts it off the
    // screen; a window of its own is placed by the compositor.
    const Qt::WindowFlags kind = PlacedByCompositor() ? Qt::Window : Qt::ToolTip;
    return kind | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

} // namespace

TBalloonWindow::TBalloonWindow(QWidget* parent) : QWidget(parent, BalloonFlags()) {
    setObjectName("BalloonWindow");
    setWindowTitle("Tolvek Organizer reminder");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedWidth(320);
    setCursor(Qt::PointingHandCursor);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    title_ = new QLabel(this);
    QFont bold = StandInFont();
    bold.setPixelSize(13);
    bold.setBold(true);
    title_->setFont(bold);
    title_->setTextFormat(Qt::PlainText);
    text_ = new QLabel(this);
    QFont plain = StandInFont();
    plain.setPixelSize(12);
    text_->setFont(plain);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title_);
    texts->addWidget(text_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 12);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
}

void TBalloonWindow::ShowBalloon(const QString& title, const QString& text) {
    title_->setText(title);
    text_->setText(text.trimmed().isEmpty() ? QString() : text);
    text_->setVisible(!text_->text().isEmpty());
    adjustSize();
    const bool placedByCompositor = PlacedByCompositor();
    if (!placedByCompositor) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        move(area.right() - width() - 12, area.bottom() - height() - 12);
    }
    // A modal window blocks the clicks on every window but its own: while one is open the
    // balloon belongs to it, so that the balloon can still be clicked. On Wayland the main
    // window, shown or minimized, is no owner: the compositor would place the balloon on it.
    const QWidget* owner = QApplication::activeModalWidget();
    if (!owner && parentWidget() && !placedByCompositor)
        owner = parentWidget()->window();
    create();
    windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
    show();
    raise();
}

void TBalloonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 225));
    painter.setPen(QColor(118, 118, 118));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TBalloonWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    // Like a balloon on the tray icon, the balloon goes away when clicked, also when the
    // click finds nothing to work on.
    hide();
    emit clicked();
}
