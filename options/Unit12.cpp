// SPDX-License-Identifier: GPL-3.0-or-later

#include "options/Unit12.h"

#include "resources/Pictures.h"
#include "store/settings/ProgramInfo.h"
#include "uikit/Reporting.h"
#include "uikit/myLabel.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

namespace {

QLabel* TextLabel(QLabel* label, const QString& text, int left, int top) {
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    label->move(left, top);
    return label;
}

// The link lights up under the pointer: blue and underlined, then black and plain again,
// keeping whatever else the font has.
void ShowLinkLit(QLabel* link, bool lit) {
    QFont font = link->font();
    font.setUnderline(lit);
    link->setFont(font);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, lit ? QColor(0, 0, 255) : QColor(0, 0, 0));
    link->setPalette(palette);
}

} // namespace

TForm12::TForm12(QWidget* parent) : TSkinnedDialog("Form12", TFrameKind::Dialog, "About", parent) {
    setFixedSize(350, 386);
    Frame->SetBlackLineRow(248);

    Image1 = new QLabel(this);
    Image1->setGeometry(38, 64, 275, 90);
    Image1->setPixmap(AboutBanner());
    Label2 = TextLabel(new QLabel(this), "Version 2.01 Build 1001", 56, 156);
    Label3 = TextLabel(new QLabel(this), "Made with care by the Tolvek Organizer team.", 56, 257);
    Label4 = new TMyLabel(this);
    TextLabel(Label4, HomePage, 56, 273);
    Image1->setObjectName("Image1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Label4->setObjectName("Label4");
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->SetAccessibleRole(QAccessible::Link);
    ShowLinkLit(Label4, false);
    connect(Label4, &TMyLabel::OnMouseEnter, this, [this] { ShowLinkLit(Label4, true); });
    connect(Label4, &TMyLabel::OnMouseLeave, this, [this] { ShowLinkLit(Label4, false); });
    ConnectReporting(Label4, &TMyLabel::clicked, this, &TForm12::LinkClick);

    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(141, 320, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm12::FormShow() {
    BitBtn1->setFocus();
}

void TForm12::LinkClick() {
    QDesktopServices::openUrl(QUrl(HomePage));
}
