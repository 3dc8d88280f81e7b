// SPDX-License-Identifier: GPL-3.0-or-later
// The sync window's controls and where they sit; what they do is in FormSync.cpp.

#include "syncing/FormSync.h"

#include "uikit/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int Left = 24;
constexpr int FieldLeft = 150;
constexpr int FieldWidth = 346;
constexpr int FullWidth = 472;

QLineEdit* MakeField(QWidget* parent, const char* name, QLabel* label, int top,
                     const QString& accessibleName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(FieldLeft, top, FieldWidth, 21);
    field->setAccessibleName(accessibleName);
    label->setBuddy(field);
    return field;
}

// A text of one or two lines that wraps at the window's margin.
QLabel* MakeNote(QWidget* parent, const char* name, int left, int top, int width) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(left, top, width, 28);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setGeometry(place);
    return box;
}

QTreeWidget* MakeList(QWidget* parent, const char* name, const QStringList& columns, QRect place,
                      const QString& accessibleName) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(columns);
    list->setAccessibleName(accessibleName);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

void TFormSync::CreateControls() {
    setFixedSize(520, 680);
    CreateAccountControls();
    CreateListControls();
    CreateStateControls();
}

void TFormSync::CreateAccountControls() {
    LabelServer = MakeLabel(this, "LabelServer", "Server address:", Left, 52);
    EditServer = MakeField(this, "EditServer", LabelServer, 49, "Server address");
    EditServer->setPlaceholderText("https://example.org/ or the CalDAV address of your server");
    LabelUser = MakeLabel(this, "LabelUser", "User name:", Left, 80);
    EditUser = MakeField(this, "EditUser", LabelUser, 77, "User name");
    LabelPassword = MakeLabel(this, "LabelPassword", "Password:", Left, 108);
    EditPassword = MakeField(this, "EditPassword", LabelPassword, 105, "Password");
    EditPassword->setEchoMode(QLineEdit::Password);
    LabelPasswordNote = MakeNote(this, "LabelPasswordNote", FieldLeft, 129, FieldWidth);
    LabelPasswordNote->setAccessibleName("Where the password is kept");
    LabelCommand = MakeLabel(this, "LabelCommand", "Or a command:", Left, 160);
    EditCommand = MakeField(this, "EditCommand", LabelCommand, 157, "Password command");
    EditCommand->setPlaceholderText("a command that prints the password, as pass show caldav");
    CheckBoxThisRun = MakeCheckBox(this, "CheckBoxThisRun", "Keep the password for this run only",
                                   {FieldLeft, 183, 346, 17});
    CheckBoxThisRun->hide();
    CheckBoxInsecure = MakeCheckBox(this, "CheckBoxInsecure",
                                    "Allow plain http:// (a server I trust on my own network)",
                                    {Left, 207, 380, 17});
    BitBtnTest = MakeButton(this, "BitBtnTest", "Test", 421, 203);
    BitBtnTest->setAccessibleName("Test the account and show the server's task lists");
}

void TFormSync::CreateListControls() {
    LabelLists = MakeLabel(this, "LabelLists", "Task lists to sync:", Left, 236);
    ListLists = MakeList(this, "ListLists", {"Task list", "Category here"},
                         {Left, 254, FullWidth, 108}, "Task lists to sync");
    ListLists->setColumnWidth(0, 230);
    LabelLists->setBuddy(ListLists);
    LabelTest = MakeNote(this, "LabelTest", Left, 366, FullWidth);
    LabelTest->setAccessibleName("Test result");

    LabelSchedule = MakeLabel(this, "LabelSchedule", "Sync in the background:", Left, 404);
    ComboBoxSchedule = new QComboBox(this);
    ComboBoxSchedule->setObjectName("ComboBoxSchedule");
    ComboBoxSchedule->setGeometry(FieldLeft, 400, 130, 21);
    for (int minutes : SyncSchedules)
        ComboBoxSchedule->addItem(
            minutes == 0 ? QString("Off") : QString("Every %1 minutes").arg(minutes), minutes);
    ComboBoxSchedule->setAccessibleName("Sync in the background");
    LabelSchedule->setBuddy(ComboBoxSchedule);
    CheckBoxAfterChange =
        MakeCheckBox(this, "CheckBoxAfterChange", "Sync after each change", {300, 402, 196, 17});
}

void TFormSync::CreateStateControls() {
    LabelLastSync = MakeNote(this, "LabelLastSync", Left, 434, FullWidth);
    LabelLastSync->setFixedHeight(15);
    LabelWaiting = MakeNote(this, "LabelWaiting", Left, 452, FullWidth);
    LabelWaiting->setFixedHeight(15);
    LabelProblem = MakeNote(this, "LabelProblem", Left, 470, FullWidth);
    LabelProblem->setStyleSheet("color: rgb(176, 0, 0)");

    LabelLog = MakeLabel(this, "LabelLog", "Sync log (values that lost in a conflict):", Left, 504);
    ListLog = MakeList(this, "ListLog", {"Time", "Task", "Field", "Value kept", "Value that lost"},
                       {Left, 522, FullWidth, 100}, "Sync log");
    for (auto [column, width] : {std::pair{0, 96}, {1, 120}, {2, 56}, {3, 90}})
        ListLog->setColumnWidth(column, width);
    LabelLog->setBuddy(ListLog);

    BitBtnUse = MakeButton(this, "BitBtnUse", "Use this value", Left, 636);
    BitBtnUse->resize(96, 25);
    BitBtnUse->setAccessibleName("Use the value that lost");
    BitBtnSyncNow = MakeButton(this, "BitBtnSyncNow", "Sync Now", 126, 636);
    BitBtnRemove = MakeButton(this, "BitBtnRemove", "Remove account", 207, 636);
    BitBtnRemove->resize(96, 25);
    BitBtn1 = MakeButton(this, "BitBtn1", "OK", 336, 636);
    BitBtn1->setDefault(true);
    BitBtn2 = MakeButton(this, "BitBtn2", "Cancel", 421, 636);
}
