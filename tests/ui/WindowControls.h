// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The windows' controls as a test reaches them: by the object names they were designed with,
// each as what it is. A window without the control ends the test program at once, naming it.
// Each function is the control's name and takes the window, so `Edit1(editor)` is the task
// editor's name box.

#include "app/Unit1.h"
#include "categories/Unit15.h"
#include "categories/Unit16.h"
#include "editor/Unit17.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "preview/Preview.h"
#include "printing/Unit18.h"
#include "printing/Unit19.h"
#include "reminders/Unit3.h"
#include "syncing/FormSync.h"
#include "tasklist/BitBtn.h"
#include "tasklist/Unit2.h"
#include "uikit/myLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>

#include <array>

template <typename Control> Control* WindowControl(const QObject& window, const QString& name) {
    auto* control = window.findChild<Control*>(name);
    if (!control)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()),
               Control::staticMetaObject.className(), qPrintable(name));
    return control;
}

// TForm1
inline QWidget* Panel1(const TForm1& window) {
    return WindowControl<QWidget>(window, "Panel1");
}
inline QMenu* cpm(const TForm1& window) {
    return WindowControl<QMenu>(window, "cpm");
}
inline QAction* All1(const TForm1& window) {
    return WindowControl<QAction>(window, "All1");
}
inline QAction* EditCategory1(const TForm1& window) {
    return WindowControl<QAction>(window, "EditCategory1");
}
inline std::array<QAction*, 10> CategoryItems(const TForm1& window) {
    std::array<QAction*, 10> controls{};
    for (int n = 1; n <= 10; ++n)
        controls[n - 1] = WindowControl<QAction>(window, QString("c%1").arg(n));
    return controls;
}
inline TMyLabel* Label6(const TForm1& window) {
    return WindowControl<TMyLabel>(window, "Label6");
}
inline TMyLabel* LabelOptions(const TForm1& window) {
    return WindowControl<TMyLabel>(window, "LabelOptions");
}
inline TMyLabel* LabelHelp(const TForm1& window) {
    return WindowControl<TMyLabel>(window, "LabelHelp");
}
inline TMyLabel* LabelAbout(const TForm1& window) {
    return WindowControl<TMyLabel>(window, "LabelAbout");
}
inline TMyLabel* LabelExit(const TForm1& window) {
    return WindowControl<TMyLabel>(window, "LabelExit");
}
inline QSystemTrayIcon* TrayIcon1(const TForm1& window) {
    return WindowControl<QSystemTrayIcon>(window, "TrayIcon1");
}
inline QMenu* TrayMenu(const TForm1& window) {
    return WindowControl<QMenu>(window, "TrayMenu");
}
inline QAction* ShowOrganizer1(const TForm1& window) {
    return WindowControl<QAction>(window, "ShowOrganizer1");
}
inline QAction* Exit1(const TForm1& window) {
    return WindowControl<QAction>(window, "Exit1");
}
inline QAction* SyncNow1(const TForm1& window) {
    return WindowControl<QAction>(window, "SyncNow1");
}
inline QAction* Sync1(const TForm1& window) {
    return WindowControl<QAction>(window, "Sync1");
}

// TForm3
inline QLineEdit* Edit1(const TForm3& window) {
    return WindowControl<QLineEdit>(window, "Edit1");
}
inline QPlainTextEdit* Memo1(const TForm3& window) {
    return WindowControl<QPlainTextEdit>(window, "Memo1");
}
inline QGroupBox* GroupBox1(const TForm3& window) {
    return WindowControl<QGroupBox>(window, "GroupBox1");
}
inline QRadioButton* RadioButton1(const TForm3& window) {
    return WindowControl<QRadioButton>(window, "RadioButton1");
}
inline QComboBox* ComboBox1(const TForm3& window) {
    return WindowControl<QComboBox>(window, "ComboBox1");
}
inline QRadioButton* RadioButton2(const TForm3& window) {
    return WindowControl<QRadioButton>(window, "RadioButton2");
}
inline QRadioButton* RadioButton3(const TForm3& window) {
    return WindowControl<QRadioButton>(window, "RadioButton3");
}
inline QRadioButton* RadioButton4(const TForm3& window) {
    return WindowControl<QRadioButton>(window, "RadioButton4");
}
inline QPushButton* BitBtn1(const TForm3& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}

// TForm12
inline QLabel* Image1(const TForm12& window) {
    return WindowControl<QLabel>(window, "Image1");
}
inline QLabel* Label2(const TForm12& window) {
    return WindowControl<QLabel>(window, "Label2");
}
inline QLabel* Label3(const TForm12& window) {
    return WindowControl<QLabel>(window, "Label3");
}
inline TMyLabel* Label4(const TForm12& window) {
    return WindowControl<TMyLabel>(window, "Label4");
}
inline QPushButton* BitBtn1(const TForm12& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}

// TForm14
inline QCheckBox* CheckBox1(const TForm14& window) {
    return WindowControl<QCheckBox>(window, "CheckBox1");
}
inline QCheckBox* CheckBox2(const TForm14& window) {
    return WindowControl<QCheckBox>(window, "CheckBox2");
}
inline QPushButton* BitBtn1(const TForm14& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TForm14& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}

// TForm15
inline QToolBar* ToolBar1(const TForm15& window) {
    return WindowControl<QToolBar>(window, "ToolBar1");
}
inline QAction* ToolButton1(const TForm15& window) {
    return WindowControl<QAction>(window, "ToolButton1");
}
inline QAction* ToolButton2(const TForm15& window) {
    return WindowControl<QAction>(window, "ToolButton2");
}
inline QAction* ToolButton3(const TForm15& window) {
    return WindowControl<QAction>(window, "ToolButton3");
}
inline QAction* ToolButton5(const TForm15& window) {
    return WindowControl<QAction>(window, "ToolButton5");
}
inline QAction* ToolButton6(const TForm15& window) {
    return WindowControl<QAction>(window, "ToolButton6");
}
inline QTableWidget* VST(const TForm15& window) {
    return WindowControl<QTableWidget>(window, "VST");
}
inline QPushButton* BitBtn1(const TForm15& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}

// TForm16
inline QLabel* Label2(const TForm16& window) {
    return WindowControl<QLabel>(window, "Label2");
}
inline QLineEdit* Edit1(const TForm16& window) {
    return WindowControl<QLineEdit>(window, "Edit1");
}
inline QLabel* Label3(const TForm16& window) {
    return WindowControl<QLabel>(window, "Label3");
}
inline std::array<QToolButton*, 10> SpeedButtons(const TForm16& window) {
    std::array<QToolButton*, 10> controls{};
    for (int n = 1; n <= 10; ++n)
        controls[n - 1] = WindowControl<QToolButton>(window, QString("SpeedButton%1").arg(n));
    return controls;
}
inline QPushButton* BitBtn1(const TForm16& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TForm16& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}

// TForm17
inline QLabel* Label2(const TForm17& window) {
    return WindowControl<QLabel>(window, "Label2");
}
inline QLineEdit* Edit1(const TForm17& window) {
    return WindowControl<QLineEdit>(window, "Edit1");
}
inline QLabel* Label3(const TForm17& window) {
    return WindowControl<QLabel>(window, "Label3");
}
inline QComboBox* ComboBox1(const TForm17& window) {
    return WindowControl<QComboBox>(window, "ComboBox1");
}
inline QLabel* Label4(const TForm17& window) {
    return WindowControl<QLabel>(window, "Label4");
}
inline QPlainTextEdit* Memo1(const TForm17& window) {
    return WindowControl<QPlainTextEdit>(window, "Memo1");
}
inline QLabel* Label5(const TForm17& window) {
    return WindowControl<QLabel>(window, "Label5");
}
inline QComboBox* ComboBox2(const TForm17& window) {
    return WindowControl<QComboBox>(window, "ComboBox2");
}
inline QCheckBox* CheckBox1(const TForm17& window) {
    return WindowControl<QCheckBox>(window, "CheckBox1");
}
inline QDateEdit* DateTimePicker1(const TForm17& window) {
    return WindowControl<QDateEdit>(window, "DateTimePicker1");
}
inline QGroupBox* GroupBox1(const TForm17& window) {
    return WindowControl<QGroupBox>(window, "GroupBox1");
}
inline QCheckBox* CheckBox2(const TForm17& window) {
    return WindowControl<QCheckBox>(window, "CheckBox2");
}
inline QTimeEdit* DateTimePicker2(const TForm17& window) {
    return WindowControl<QTimeEdit>(window, "DateTimePicker2");
}
inline QDateEdit* DateTimePicker3(const TForm17& window) {
    return WindowControl<QDateEdit>(window, "DateTimePicker3");
}
inline QCheckBox* CheckBox3(const TForm17& window) {
    return WindowControl<QCheckBox>(window, "CheckBox3");
}
inline QComboBox* ComboBox3(const TForm17& window) {
    return WindowControl<QComboBox>(window, "ComboBox3");
}
inline QToolButton* SpeedButton1(const TForm17& window) {
    return WindowControl<QToolButton>(window, "SpeedButton1");
}
inline QPushButton* BitBtn1(const TForm17& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TForm17& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}

// TForm18
inline QGroupBox* GroupBox1(const TForm18& window) {
    return WindowControl<QGroupBox>(window, "GroupBox1");
}
inline QCheckBox* CheckBox1(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox1");
}
inline QCheckBox* CheckBox2(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox2");
}
inline QCheckBox* CheckBox3(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox3");
}
inline QCheckBox* CheckBox4(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox4");
}
inline QCheckBox* CheckBox5(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox5");
}
inline QCheckBox* CheckBox6(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox6");
}
inline QCheckBox* CheckBox7(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox7");
}
inline QCheckBox* CheckBox8(const TForm18& window) {
    return WindowControl<QCheckBox>(window, "CheckBox8");
}
inline QGroupBox* GroupBox2(const TForm18& window) {
    return WindowControl<QGroupBox>(window, "GroupBox2");
}
inline QLabel* Label2(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label2");
}
inline QRadioButton* RadioButton1(const TForm18& window) {
    return WindowControl<QRadioButton>(window, "RadioButton1");
}
inline QRadioButton* RadioButton2(const TForm18& window) {
    return WindowControl<QRadioButton>(window, "RadioButton2");
}
inline QLabel* Label3(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label3");
}
inline QComboBox* ComboBox1(const TForm18& window) {
    return WindowControl<QComboBox>(window, "ComboBox1");
}
inline QLabel* Label4(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label4");
}
inline QLineEdit* Edit1(const TForm18& window) {
    return WindowControl<QLineEdit>(window, "Edit1");
}
inline QLabel* Label5(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label5");
}
inline QLabel* Label6(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label6");
}
inline QLineEdit* Edit2(const TForm18& window) {
    return WindowControl<QLineEdit>(window, "Edit2");
}
inline QLabel* Label7(const TForm18& window) {
    return WindowControl<QLabel>(window, "Label7");
}
inline QPushButton* BitBtn1(const TForm18& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TForm18& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}
inline QPushButton* BitBtn3(const TForm18& window) {
    return WindowControl<QPushButton>(window, "BitBtn3");
}

// TForm19
inline QWidget* Panel1(const TForm19& window) {
    return WindowControl<QWidget>(window, "Panel1");
}
inline QToolBar* ToolBar1(const TForm19& window) {
    return WindowControl<QToolBar>(window, "ToolBar1");
}
inline QToolButton* ToolButton1(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton1");
}
inline QToolButton* ToolButton2(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton2");
}
inline QToolButton* ToolButton3(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton3");
}
inline QToolButton* ToolButton4(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton4");
}
inline QLabel* Label2(const TForm19& window) {
    return WindowControl<QLabel>(window, "Label2");
}
inline QComboBox* ComboBox1(const TForm19& window) {
    return WindowControl<QComboBox>(window, "ComboBox1");
}
inline QToolBar* ToolBar2(const TForm19& window) {
    return WindowControl<QToolBar>(window, "ToolBar2");
}
inline QToolButton* ToolButton5(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton5");
}
inline QToolButton* ToolButton6(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton6");
}
inline QToolButton* ToolButton7(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton7");
}
inline QToolButton* ToolButton8(const TForm19& window) {
    return WindowControl<QToolButton>(window, "ToolButton8");
}
inline QLabel* Label3(const TForm19& window) {
    return WindowControl<QLabel>(window, "Label3");
}
inline QLineEdit* Edit1(const TForm19& window) {
    return WindowControl<QLineEdit>(window, "Edit1");
}
inline QLabel* Label4(const TForm19& window) {
    return WindowControl<QLabel>(window, "Label4");
}
inline QLabel* Label5(const TForm19& window) {
    return WindowControl<QLabel>(window, "Label5");
}
inline QLabel* Label6(const TForm19& window) {
    return WindowControl<QLabel>(window, "Label6");
}
inline QFrame* Bevel1(const TForm19& window) {
    return WindowControl<QFrame>(window, "Bevel1");
}
inline QPushButton* BitBtn1(const TForm19& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TForm19& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}
inline QPushButton* BitBtn3(const TForm19& window) {
    return WindowControl<QPushButton>(window, "BitBtn3");
}
inline QFrame* Panel2(const TForm19& window) {
    return WindowControl<QFrame>(window, "Panel2");
}
inline TPrintPreview* PrintPreview1(const TForm19& window) {
    return WindowControl<TPrintPreview>(window, "PrintPreview1");
}

// TForm2
inline QTreeView* VDT(const TForm2& window) {
    return WindowControl<QTreeView>(window, "VDT");
}
inline TBitBtn* BitBtn1(const TForm2& window) {
    return WindowControl<TBitBtn>(window, "BitBtn1");
}
inline TBitBtn* BitBtn2(const TForm2& window) {
    return WindowControl<TBitBtn>(window, "BitBtn2");
}
inline TBitBtn* BitBtn3(const TForm2& window) {
    return WindowControl<TBitBtn>(window, "BitBtn3");
}
inline TBitBtn* BitBtn4(const TForm2& window) {
    return WindowControl<TBitBtn>(window, "BitBtn4");
}

// TFormSync
inline QLineEdit* EditServer(const TFormSync& window) {
    return WindowControl<QLineEdit>(window, "EditServer");
}
inline QLineEdit* EditUser(const TFormSync& window) {
    return WindowControl<QLineEdit>(window, "EditUser");
}
inline QLineEdit* EditPassword(const TFormSync& window) {
    return WindowControl<QLineEdit>(window, "EditPassword");
}
inline QLabel* LabelPasswordNote(const TFormSync& window) {
    return WindowControl<QLabel>(window, "LabelPasswordNote");
}
inline QLineEdit* EditCommand(const TFormSync& window) {
    return WindowControl<QLineEdit>(window, "EditCommand");
}
inline QCheckBox* CheckBoxThisRun(const TFormSync& window) {
    return WindowControl<QCheckBox>(window, "CheckBoxThisRun");
}
inline QCheckBox* CheckBoxInsecure(const TFormSync& window) {
    return WindowControl<QCheckBox>(window, "CheckBoxInsecure");
}
inline QPushButton* BitBtnTest(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtnTest");
}
inline QTreeWidget* ListLists(const TFormSync& window) {
    return WindowControl<QTreeWidget>(window, "ListLists");
}
inline QLabel* LabelTest(const TFormSync& window) {
    return WindowControl<QLabel>(window, "LabelTest");
}
inline QComboBox* ComboBoxSchedule(const TFormSync& window) {
    return WindowControl<QComboBox>(window, "ComboBoxSchedule");
}
inline QCheckBox* CheckBoxAfterChange(const TFormSync& window) {
    return WindowControl<QCheckBox>(window, "CheckBoxAfterChange");
}
inline QLabel* LabelLastSync(const TFormSync& window) {
    return WindowControl<QLabel>(window, "LabelLastSync");
}
inline QLabel* LabelWaiting(const TFormSync& window) {
    return WindowControl<QLabel>(window, "LabelWaiting");
}
inline QLabel* LabelProblem(const TFormSync& window) {
    return WindowControl<QLabel>(window, "LabelProblem");
}
inline QTreeWidget* ListLog(const TFormSync& window) {
    return WindowControl<QTreeWidget>(window, "ListLog");
}
inline QPushButton* BitBtnUse(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtnUse");
}
inline QPushButton* BitBtnSyncNow(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtnSyncNow");
}
inline QPushButton* BitBtnRemove(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtnRemove");
}
inline QPushButton* BitBtn1(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtn1");
}
inline QPushButton* BitBtn2(const TFormSync& window) {
    return WindowControl<QPushButton>(window, "BitBtn2");
}
