// SPDX-License-Identifier: GPL-3.0-or-later

// The controls of the print preview window, each at its designed place, and how they follow
// the window's size: the left panel keeps to the left edge and grows downwards with its
// buttons kept at the bottom; the right panel with the page grows both ways.

#include "printing/Unit19.h"

#include "preview/Preview.h"
#include "printing/PreviewGlyphs.h"
#include "uikit/Controls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize DesignSize(692, 566);
// The left panel's designed height, from which its bottom-anchored buttons keep their distance.
constexpr int Panel1Height = 511;
constexpr int PrintCurrentTop = 272;
constexpr int PrintAllTop = 314;
constexpr int CloseTop = 453;

QToolBar* MakeToolBar(QWidget* parent, const char* name, int left, int top) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    bar->layout()->setSpacing(0);
    bar->move(left, top);
    return bar;
}

QToolButton* AddToolButton(QToolBar* bar, const char* name, TPreviewGlyph glyph,
                           const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setIcon(PreviewPicture(glyph));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(23, 22);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(button);
    bar->adjustSize();
    return button;
}

} // namespace

void TForm19::CreateControls() {
    resize(DesignSize);
    setMinimumSize(DesignSize);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(18, 40, 153, Panel1Height);

    ToolBar1 = MakeToolBar(Panel1, "ToolBar1", 42, 22);
    ToolButton1 = AddToolButton(ToolBar1, "ToolButton1", TPreviewGlyph::ZoomIn, "zoom in");
    ToolButton2 = AddToolButton(ToolBar1, "ToolButton2", TPreviewGlyph::ZoomOut, "zoom out");
    ToolButton3 = AddToolButton(ToolBar1, "ToolButton3", TPreviewGlyph::WholePage, "whole page");
    ToolButton4 = AddToolButton(ToolBar1, "ToolButton4", TPreviewGlyph::ActualSize, "actual size");

    Label2 = MakeLabel(Panel1, "Label2", "Scale:", 2, 48);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(42, 45, 101, 21);
    ComboBox1->addItems({"200%", "150%", "100%", "75%", "50%", "25%", "10%", "Page Width",
                         "Page Height", "Whole Page"});
    ComboBox1->setMaxVisibleItems(ComboBox1->count());

    ToolBar2 = MakeToolBar(Panel1, "ToolBar2", 42, 92);
    ToolButton5 = AddToolButton(ToolBar2, "ToolButton5", TPreviewGlyph::First, "first");
    ToolButton6 = AddToolButton(ToolBar2, "ToolButton6", TPreviewGlyph::Previous, "previous");
    ToolButton7 = AddToolButton(ToolBar2, "ToolButton7", TPreviewGlyph::Next, "next");
    ToolButton8 = AddToolButton(ToolBar2, "ToolButton8", TPreviewGlyph::Last, "last");

    Label3 = MakeLabel(Panel1, "Label3", "Page#:", 2, 118);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(42, 115, 100, 21);
    Edit1->setReadOnly(true);

    Label4 = MakeLabel(Panel1, "Label4", "Total Pages:", 2, 153);
    Label5 = MakeLabel(Panel1, "Label5", "Orientation:", 2, 178);
    Label6 = MakeLabel(Panel1, "Label6", "Paper Type:", 2, 203);
    // A custom paper's sizes make the text longer than the panel is wide: it goes on in the
    // room above the bevel.
    Label6->setWordWrap(true);

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(1, 250, 148, 2);

    BitBtn1 = MakeButton(Panel1, "BitBtn1", "Print current", 39, PrintCurrentTop);
    BitBtn2 = MakeButton(Panel1, "BitBtn2", "Print all", 39, PrintAllTop);
    BitBtn3 = MakeButton(Panel1, "BitBtn3", "Close", 39, CloseTop);

    Panel2 = new QFrame(this);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameShape(QFrame::Box);
    Panel2->setLineWidth(1);
    QPalette silver = Panel2->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    Panel2->setPalette(silver);
    Panel2->setAutoFillBackground(true);
    Panel2->setGeometry(174, 40, 505, 514);
    auto* fill = new QVBoxLayout(Panel2);
    fill->setContentsMargins(0, 0, 0, 0);

    PrintPreview1 = new TPrintPreview(Panel2);
    PrintPreview1->setObjectName("PrintPreview1");
    PrintPreview1->SetUnits(mmPixel);
    TPaperPreviewOptions look = PrintPreview1->PaperView();
    look.ShadowColor = QColor(128, 128, 128);
    look.ShadowWidth = 2;
    PrintPreview1->SetPaperView(look);
    PrintPreview1->SetColor(QColor(172, 168, 153));
    fill->addWidget(PrintPreview1);
}

void TForm19::PlaceControls() {
    const int h = height();
    Panel1->setGeometry(18, 40, 153, h - (DesignSize.height() - Panel1Height));
    const int bottomShift = Panel1->height() - Panel1Height;
    BitBtn1->move(39, PrintCurrentTop + bottomShift);
    BitBtn2->move(39, PrintAllTop + bottomShift);
    BitBtn3->move(39, CloseTop + bottomShift);
    Panel2->setGeometry(174, 40, width() - (DesignSize.width() - 505),
                        h - (DesignSize.height() - 514));
}
