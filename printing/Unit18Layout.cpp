// SPDX-License-Identifier: GPL-3.0-or-later

// The controls of the print settings window, each at its designed place, and their keyboard
// order.

#include "printing/Unit18.h"

#include "uikit/Controls.h"
#include "uikit/GroupBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int BoxHeight = 21;

template <typename Box>
Box* MakeBox(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* box = new Box(text, parent);
    box->setObjectName(name);
    box->setGeometry(left, top, box->sizeHint().width(), 17);
    return box;
}

QLineEdit* MakeSizeBox(QWidget* parent, const char* name, int left, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(left, top, 41, BoxHeight);
    return box;
}

} // namespace

void TForm18::CreateControls() {
    GroupBox1 = new TGroupBox(" Task Options ", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(23, 55, 400, 135);
    CheckBox1 = MakeBox<QCheckBox>(GroupBox1, "CheckBox1", "Print Priority column", 18, 24);
    CheckBox2 = MakeBox<QCheckBox>(GroupBox1, "CheckBox2", "Print Category column", 18, 48);
    CheckBox3 = MakeBox<QCheckBox>(GroupBox1, "CheckBox3", "Print Reminder column", 18, 72);
    CheckBox4 = MakeBox<QCheckBox>(GroupBox1, "CheckBox4", "Print Due Date column", 18, 96);
    CheckBox5 = MakeBox<QCheckBox>(GroupBox1, "CheckBox5", "Separate Categories", 192, 24);
    CheckBox6 =
        MakeBox<QCheckBox>(GroupBox1, "CheckBox6", "Print each category on a new page", 192, 48);
    CheckBox7 = MakeBox<QCheckBox>(GroupBox1, "CheckBox7", "Print only uncompleted tasks", 192, 72);
    CheckBox8 = MakeBox<QCheckBox>(GroupBox1, "CheckBox8", "Print task notes", 192, 96);

    GroupBox2 = new TGroupBox(" Print Options ", this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(23, 210, 400, 92);
    Label2 = MakeLabel(GroupBox2, "Label2", "Orientation:", 18, 26);
    RadioButton1 = MakeBox<QRadioButton>(GroupBox2, "RadioButton1", "Portrait", 90, 24);
    RadioButton2 = MakeBox<QRadioButton>(GroupBox2, "RadioButton2", "Landscape", 170, 24);
    Label3 = MakeLabel(GroupBox2, "Label3", "Page size:", 18, 61);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(90, 58, 80, BoxHeight);
    ComboBox1->addItems({"A4", "A5", "Legal", "Letter", "B4", "B5", "Custom"});
    Label4 = MakeLabel(GroupBox2, "Label4", "Height:", 184, 61);
    Edit1 = MakeSizeBox(GroupBox2, "Edit1", 222, 58);
    Label5 = MakeLabel(GroupBox2, "Label5", "cm.", 266, 61);
    Label6 = MakeLabel(GroupBox2, "Label6", "Width:", 292, 61);
    Edit2 = MakeSizeBox(GroupBox2, "Edit2", 328, 58);
    Label7 = MakeLabel(GroupBox2, "Label7", "cm.", 372, 61);

    BitBtn1 = MakeButton(this, "BitBtn1", "Print", 104, 325);
    BitBtn1->setDefault(true);
    BitBtn2 = MakeButton(this, "BitBtn2", "Preview", 194, 325);
    BitBtn3 = MakeButton(this, "BitBtn3", "Close", 284, 325);
}

// The fields are named after their labels, the size boxes with their unit; the check boxes,
// radio buttons and buttons are named by their captions.
void TForm18::NameControls() {
    Label3->setBuddy(ComboBox1);
    Label4->setBuddy(Edit1);
    Label6->setBuddy(Edit2);
    ComboBox1->setAccessibleName("Page size");
    Edit1->setAccessibleName("Height in centimetres");
    Edit2->setAccessibleName("Width in centimetres");
}

void TForm18::SetTabOrder() {
    QWidget* const order[] = {CheckBox1,    CheckBox2,    CheckBox3, CheckBox4,
                              CheckBox5,    CheckBox6,    CheckBox7, CheckBox8,
                              RadioButton1, RadioButton2, ComboBox1, Edit1,
                              Edit2,        BitBtn1,      BitBtn2,   BitBtn3};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}
