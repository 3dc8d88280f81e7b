// SPDX-License-Identifier: GPL-3.0-or-later

// The controls of the task editor, each at its designed place and size, and their keyboard
// order.

#include "editor/Unit17.h"

#include "uikit/Controls.h"
#include "uikit/GroupBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeEdit>
#include <QToolButton>

#include <limits>

namespace {

// Drop-down lists and pickers are as high as a one-line text box.
constexpr int BoxHeight = 21;

// A check box as high as its designed row; width 0 takes the width its caption needs.
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, int left, int top,
                        int width = 0) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setGeometry(left, top, width > 0 ? width : box->sizeHint().width(), 17);
    return box;
}

// A date or time picker that Tab leaves for the next control, as the keyboard order wants;
// the arrow keys still move between the parts of the date or time.
template <typename Picker> class TTabLeaves : public Picker {
public:
    using Picker::Picker;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

QComboBox* MakeList(QWidget* parent, const char* name, int left, int top, int width) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setGeometry(left, top, width, BoxHeight);
    return list;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name, int left, int top, int width) {
    auto* picker = new TTabLeaves<QDateEdit>(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat("yyyy-MM-dd");
    picker->setGeometry(left, top, width, BoxHeight);
    return picker;
}

// The play button's picture: a loudspeaker with two sound waves, 16 by 16.
QPixmap PlayPicture() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(48, 48, 48);
    QPainterPath speaker;
    speaker.moveTo(1.5, 5.5);
    speaker.lineTo(4.5, 5.5);
    speaker.lineTo(8.5, 2.0);
    speaker.lineTo(8.5, 14.0);
    speaker.lineTo(4.5, 10.5);
    speaker.lineTo(1.5, 10.5);
    speaker.closeSubpath();
    painter.fillPath(speaker, ink);
    painter.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(6.5, 5.0, 5.0, 6.0), -60 * 16, 120 * 16);
    painter.drawArc(QRectF(6.0, 2.5, 9.0, 11.0), -60 * 16, 120 * 16);
    return picture;
}

} // namespace

void TForm17::CreateControls() {
    Label2 = MakeLabel(this, "Label2", "Task:", 27, 56);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(27, 76, 200, BoxHeight);
    // A name is as long as the user makes it; the store keeps it whole.
    Edit1->setMaxLength(std::numeric_limits<int>::max());
    Label3 = MakeLabel(this, "Label3", "Category:", 236, 56);
    ComboBox1 = MakeList(this, "ComboBox1", 236, 76, 145);

    Label4 = MakeLabel(this, "Label4", "Note:", 27, 108);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(27, 128, 353, 100);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control; Enter starts a new line of the note.
    Memo1->setTabChangesFocus(true);

    Label5 = MakeLabel(this, "Label5", "Priority:", 27, 240);
    ComboBox2 = MakeList(this, "ComboBox2", 27, 260, 145);
    ComboBox2->addItems({"High", "Normal"});
    CheckBox1 = MakeCheckBox(this, "CheckBox1", "Due Date:", 181, 240);
    DateTimePicker1 = MakeDatePicker(this, "DateTimePicker1", 181, 260, 200);

    GroupBox1 = new TGroupBox(" Remainder ", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(27, 299, 353, 91);
    // The check boxes in the group end where the pickers beside them begin.
    CheckBox2 = MakeCheckBox(GroupBox1, "CheckBox2", "Reminder:", 11, 24, 84 - 11);
    DateTimePicker2 = new TTabLeaves<QTimeEdit>(GroupBox1);
    DateTimePicker2->setObjectName("DateTimePicker2");
    DateTimePicker2->setDisplayFormat("HH:mm:ss");
    // The style draws a spin box's frame a pixel inside its top and bottom edges: one pixel
    // more each way makes the drawn box as high as the date picker beside it.
    DateTimePicker2->setGeometry(84, 21, 115, BoxHeight + 2);
    DateTimePicker3 = MakeDatePicker(GroupBox1, "DateTimePicker3", 208, 22, 128);
    CheckBox3 = MakeCheckBox(GroupBox1, "CheckBox3", "Sound:", 11, 55, 84 - 11);
    ComboBox3 = MakeList(GroupBox1, "ComboBox3", 84, 53, 115);
    SpeedButton1 = new QToolButton(GroupBox1);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setIcon(PlayPicture());
    SpeedButton1->setIconSize(QSize(16, 16));
    SpeedButton1->setGeometry(208, 52, 23, 22);
    // A picture button is clicked, never focused: the keyboard order passes it by.
    SpeedButton1->setFocusPolicy(Qt::NoFocus);

    BitBtn1 = MakeButton(this, "BitBtn1", "OK", 128, 416);
    BitBtn1->setDefault(true);
    BitBtn2 = MakeButton(this, "BitBtn2", "Cancel", 216, 416);
}

// Each field is named after its label, without the colon, and the labels point at their
// fields; the check boxes and buttons are named by their captions.
void TForm17::NameControls() {
    Label2->setBuddy(Edit1);
    Label3->setBuddy(ComboBox1);
    Label4->setBuddy(Memo1);
    Label5->setBuddy(ComboBox2);
    Edit1->setAccessibleName("Task");
    ComboBox1->setAccessibleName("Category");
    Memo1->setAccessibleName("Note");
    Memo1->verticalScrollBar()->setAccessibleName("Note scroll bar");
    ComboBox2->setAccessibleName("Priority");
    DateTimePicker1->setAccessibleName("Due date");
    DateTimePicker2->setAccessibleName("Reminder time");
    DateTimePicker3->setAccessibleName("Reminder date");
    ComboBox3->setAccessibleName("Sound");
    SpeedButton1->setAccessibleName("Play sound");
}

void TForm17::SetTabOrder() {
    QWidget* const order[] = {Edit1,           ComboBox1,       Memo1,     ComboBox2,
                              CheckBox1,       DateTimePicker1, CheckBox2, DateTimePicker2,
                              DateTimePicker3, CheckBox3,       ComboBox3, BitBtn1,
                              BitBtn2};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}
