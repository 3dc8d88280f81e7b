// SPDX-License-Identifier: GPL-3.0-or-later

#include "categories/Unit16.h"

#include "resources/Pictures.h"
#include "store/records/TaskWrite.h"
#include "uikit/Controls.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <limits>

TForm16::TForm16(QWidget* parent)
    : TSkinnedDialog("Form16", TFrameKind::Dialog, "Add Category", parent) {
    FormCreate();
}

void TForm16::FormCreate() {
    setFixedSize(377, 241);
    CreateControls();
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm16::BitBtn1Click);
    ConnectReporting(BitBtn2, &QPushButton::clicked, this, &TForm16::BitBtn2Click);
}

void TForm16::CreateControls() {
    Label2 = MakeLabel(this, "Label2", "Category Name:", 27, 56);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(27, 76, 322, 21);
    // A name is as long as the user makes it; the store keeps it whole.
    Edit1->setMaxLength(std::numeric_limits<int>::max());
    Edit1->setAccessibleName("Category name");
    Label2->setBuddy(Edit1);

    Label3 = MakeLabel(this, "Label3", "Select Icon:", 27, 112);
    // An exclusive group lets none be down until one is pressed, and keeps the one that is
    // down pressed when it is clicked again.
    icons_ = new QButtonGroup(this);
    icons_->setExclusive(true);
    for (int n = 1; n <= 10; ++n) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("SpeedButton%1").arg(n));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(::CategoryIcon(n));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(27 + (n - 1) * 32, 132, 26, 26);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(QString("Icon %1, %2").arg(n).arg(CategoryIconName(n)));
        icons_->addButton(button, n);
        SpeedButtons[n - 1] = button;
    }

    BitBtn1 = MakeButton(this, "BitBtn1", "OK", 106, 196);
    BitBtn1->setDefault(true);
    BitBtn2 = MakeButton(this, "BitBtn2", "Cancel", 196, 196);
}

// The title is centred on each showing, as its text changes with the mode.
void TForm16::SetTitle(const QString& title) {
    Frame->SetTitle(title);
    setWindowTitle(title);
    QLabel* label = Frame->Label1();
    label->move((width() - label->width()) / 2, label->y());
}

void TForm16::PrepareEdit(const TMyRec1& category) {
    Edit1->setText(QString::fromStdString(category.strName));
    CategoryIcon = category.intImg;
    CategoryEditorMode = 0;
}

std::string TForm16::CategoryName() const {
    return Edit1->text().toStdString();
}

void TForm16::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // The caret goes after the name's last character only now: showing a dialog gives its
    // focus widget a focus-in as if by Tab, on which a text box selects all of its text.
    if (visible)
        Edit1->end(false);
}

void TForm16::FormShow() {
    CategoryAccepted = false;
    if (CategoryEditorMode == 1) {
        SetTitle("Add New Category");
        Edit1->clear();
        SpeedButtons[0]->setChecked(true);
    } else {
        SetTitle("Edit Category");
        if (CategoryIcon >= 1 && CategoryIcon <= 10)
            SpeedButtons[CategoryIcon - 1]->setChecked(true);
    }
    Edit1->setFocus();
}

void TForm16::BitBtn1Click() {
    if (IsBlank(Edit1->text().toStdString())) {
        ShowErrorBox(this, "Error, category name can not be empty!");
        Edit1->setFocus();
        return;
    }
    for (int n = 1; n <= 10; ++n) {
        if (SpeedButtons[n - 1]->isChecked()) {
            CategoryIcon = n;
            break;
        }
    }
    CategoryAccepted = true;
    accept();
}

void TForm16::BitBtn2Click() {
    close();
}
