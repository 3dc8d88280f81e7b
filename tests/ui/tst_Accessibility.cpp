// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/db/TableAccess.h"
#include "store/sync/SyncState.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"
#include "uikit/MessageBox.h"
#include "uikit/MyImage.h"

#include <QAccessible>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// What a user can press, type in, choose or move through, and so must hear a name for.
bool IsInteractive(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::ScrollBar:
    case QAccessible::Link:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTab:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::TreeItem:
    case QAccessible::Cell:
    case QAccessible::ColumnHeader:
        return true;
    default:
        return false;
    }
}

QAccessibleInterface* Interface(QObject* object) {
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(object);
    if (!found)
        qFatal("%s has no accessible interface", qPrintable(object->objectName()));
    return found;
}

QString Name(QObject* object) {
    return Interface(object)->text(QAccessible::Name);
}

// Every shown element of the tree that a user works with but that a screen reader could not
// name: no name, a name padded with spaces, a drop-down named after its value, or a field
// named after the group it sits in. Each as "role 'name'" with the names of its groups.
QStringList Unnamed(QAccessibleInterface* element, const QStringList& groups = {}) {
    QStringList faults;
    if (element->state().invisible)
        return faults;
    const QString name = element->text(QAccessible::Name);
    const QAccessible::Role role = element->role();
    const QString where =
        QString("role %1 '%2' in [%3]").arg(role).arg(name).arg(groups.join(", "));
    // A group is named after its title, without the spaces that keep its frame off the text.
    if (role == QAccessible::Grouping && name != name.trimmed())
        faults << where;
    if (IsInteractive(role)) {
        if (name.trimmed().isEmpty() || name != name.trimmed())
            faults << where;
        else if (role == QAccessible::ComboBox && name == element->text(QAccessible::Value))
            faults << where + " named after its value";
        else if (groups.contains(name))
            faults << where + " named after its group";
    }
    QStringList inside = groups;
    if (role == QAccessible::Grouping)
        inside << name;
    for (int k = 0; k < element->childCount(); ++k)
        faults << Unnamed(element->child(k), inside);
    return faults;
}

bool CanPress(QAccessibleInterface* element) {
    return element->actionInterface() && element->actionInterface()->actionNames().contains(
                                             QAccessibleActionInterface::pressAction());
}

void Press(QObject* object) {
    Interface(object)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

} // namespace

// What a screen reader learns of the windows, read through Qt's accessibility interfaces as
// the AT-SPI bridge reads them.
class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;

    QTreeView* View() const { return VDT(*main_->Form2); }
    QString Cell(int row, int column) const {
        QAccessibleInterface* cell = Interface(View())->tableInterface()->cellAt(row, column);
        return cell ? cell->text(QAccessible::Name) : QString("(no cell)");
    }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        const double due = EncodeDate(2026, 12, 20);
        const double reminder = EncodeDate(2026, 12, 19) + 8.0 / 24;
        InsertTasks(home_->DatabasePath(),
                    {{.id = 1, .name = "Call the plumber", .priority = 0, .due = 1, .dateDue = due},
                     {.id = 2,
                      .name = "Buy paint",
                      .category = 3,
                      .done = 1,
                      .reminder = 1,
                      .datetimeReminder = reminder}});
        ClearShownMessageBoxes();
        main_ = TProgramRig(*dm_, TStartOptions{false, true});
        main_->ShowAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    void cleanup() {
        VerifyCleanEnd();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    void theMainWindowHasNoUnnamedControl() {
        QAccessibleInterface* window = Interface(main_.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QString("Tolvek Organizer"));
        QCOMPARE(Unnamed(window), QStringList());
    }

    void theListReadsAsTheTasks() {
        QAccessibleInterface* list = Interface(View());
        QCOMPARE(list->text(QAccessible::Name), QString("Tasks"));
        QAccessibleTableInterface* table = list->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 2);
        // The one-letter captions are spelt out.
        QStringList headers;
        for (int k = 0; k < list->childCount(); ++k)
            if (list->child(k)->role() == QAccessible::ColumnHeader)
                headers << list->child(k)->text(QAccessible::Name);
        QCOMPARE(headers, QStringList({"Tasks", "Priority", "Category", "Reminder", "Due Date"}));
        QCOMPARE(Cell(0, 0),
                 QString("Call the plumber, not done, high priority, Personal, due 2026-12-20"));
        QCOMPARE(QStringList({Cell(0, 1), Cell(0, 2), Cell(0, 3), Cell(0, 4)}),
                 QStringList({"high priority", "Personal", "no reminder", "due 2026-12-20"}));
        QCOMPARE(Cell(1, 0),
                 QString("Buy paint, done, Shopping, reminder 2026-12-19 08:00, no due date"));
        QCOMPARE(QStringList({Cell(1, 1), Cell(1, 4)}),
                 QStringList({"normal priority", "no due date"}));
        // The check box in front of the name says what it does.
        QAccessibleInterface* box = table->cellAt(0, 0);
        QVERIFY(box->state().checkable);
        QVERIFY(!box->state().checked);
        QCOMPARE(box->text(QAccessible::Description),
                 QString("Done check box: Space marks the task done"));
        QCOMPARE(table->cellAt(1, 0)->text(QAccessible::Description),
                 QString("Done check box: Space marks the task not done"));

        // A task marked done is read as done.
        View()->setFocus();
        QTest::keyClick(View(), Qt::Key_Space);
        QCOMPARE(Cell(0, 0),
                 QString("Call the plumber, done, high priority, Personal, due 2026-12-20"));
        QVERIFY(table->cellAt(0, 0)->state().checked);
    }

    void aTaskMovedToAnotherCategoryIsReadWithItsNewCategory() {
        TForm17& editor = main_.Windows().TaskEditor();
        WhenModalOpens([&](QWidget& modal) {
            QCOMPARE(&modal, static_cast<QWidget*>(&editor));
            ComboBox1(editor)->setCurrentIndex(1);
            BitBtn1(editor)->click();
        });
        View()->setFocus();
        QTest::keyClick(View(), Qt::Key_F2);
        QCOMPARE(Scalar(home_->DatabasePath(), "SELECT intCategory FROM t_task WHERE id = 1"),
                 QVariant(2));
        QCOMPARE(Cell(0, 2), QString("Work"));
        QVERIFY2(Cell(0, 0).contains(", Work, "), qPrintable(Cell(0, 0)));
    }

    void theMenuLabelsAreButtonsThatPressAsAClickDoes() {
        const QList<QPair<TMyLabel*, QString>> labels{{Label6(*main_), "Category"},
                                                      {LabelOptions(*main_), "Options"},
                                                      {LabelHelp(*main_), "Help"},
                                                      {LabelAbout(*main_), "About"},
                                                      {LabelExit(*main_), "Exit"}};
        for (const auto& [label, caption] : labels) {
            QAccessibleInterface* element = Interface(label);
            QCOMPARE(element->role(), QAccessible::PushButton);
            QCOMPARE(element->text(QAccessible::Name), caption);
            QVERIFY2(!element->text(QAccessible::Description).isEmpty(), qPrintable(caption));
            QVERIFY2(CanPress(element), qPrintable(caption));
        }
        QString opened;
        WhenModalOpens([&](QWidget& modal) { opened = modal.objectName(); });
        Press(LabelAbout(*main_));
        QTRY_COMPARE(opened, QString("Form12"));
        bool menuShown = false;
        QTimer::singleShot(50, this, [&] {
            menuShown = cpm(*main_)->isVisible();
            cpm(*main_)->close();
        });
        Press(Label6(*main_));
        QTRY_VERIFY(menuShown);
        // The home page link of the about window is a link.
        QCOMPARE(Interface(Label4(main_.Windows().About()))->role(), QAccessible::Link);
    }

    void theTitleBarPicturesAreButtons() {
        TFrameController& frame = *main_->Frame;
        QCOMPARE(Name(frame.Image_Min()), QString("Minimize"));
        QCOMPARE(Name(frame.Image_Max()), QString("Maximize"));
        QCOMPARE(Name(frame.Image_Close()), QString("Close"));
        for (TMyImage* button : {frame.Image_Min(), frame.Image_Max(), frame.Image_Close()}) {
            QCOMPARE(Interface(button)->role(), QAccessible::PushButton);
            QVERIFY(CanPress(Interface(button)));
        }
        Press(frame.Image_Max());
        QTRY_VERIFY(frame.Maximized());
        QCOMPARE(Name(frame.Image_Max()), QString("Restore"));
        Press(frame.Image_Max());
        QTRY_VERIFY(!frame.Maximized());
        QCOMPARE(Name(frame.Image_Max()), QString("Maximize"));
        Press(frame.Image_Close());
        QTRY_VERIFY(!main_->isVisible());
        QVERIFY(!main_->MainShown);
        // Every dialog's close picture is named too.
        QCOMPARE(Name(main_.Windows().TaskEditor().Frame->Image_Close()), QString("Close"));
    }

    void theEditorsFieldsAreNamedAfterTheirLabels() {
        TForm17& editor = main_.Windows().TaskEditor();
        editor.TaskEditorMode = 1;
        editor.show();
        const QList<QPair<QWidget*, QString>> names{{Edit1(editor), "Task"},
                                                    {ComboBox1(editor), "Category"},
                                                    {Memo1(editor), "Note"},
                                                    {ComboBox2(editor), "Priority"},
                                                    {CheckBox1(editor), "Due Date:"},
                                                    {DateTimePicker1(editor), "Due date"},
                                                    {GroupBox1(editor), "Remainder"},
                                                    {CheckBox2(editor), "Reminder:"},
                                                    {DateTimePicker2(editor), "Reminder time"},
                                                    {DateTimePicker3(editor), "Reminder date"},
                                                    {CheckBox3(editor), "Sound:"},
                                                    {ComboBox3(editor), "Sound"},
                                                    {SpeedButton1(editor), "Play sound"},
                                                    {BitBtn1(editor), "OK"},
                                                    {BitBtn2(editor), "Cancel"}};
        for (const auto& [control, name] : names)
            QCOMPARE(Name(control), name);
        // The labels point at their fields.
        QCOMPARE(Label2(editor)->buddy(), static_cast<QWidget*>(Edit1(editor)));
        QCOMPARE(Unnamed(Interface(&editor)), QStringList());
        editor.close();
    }

    void thePrintSettingsAreNamed() {
        TForm18& settings = main_.Windows().PrintSettings();
        settings.show();
        QCOMPARE(Name(GroupBox1(settings)), QString("Task Options"));
        QCOMPARE(Name(GroupBox2(settings)), QString("Print Options"));
        QCOMPARE(Name(ComboBox1(settings)), QString("Page size"));
        QCOMPARE(Name(Edit1(settings)), QString("Height in centimetres"));
        QCOMPARE(Name(Edit2(settings)), QString("Width in centimetres"));
        QCOMPARE(Name(CheckBox6(settings)), QString("Print each category on a new page"));
        QCOMPARE(Name(RadioButton2(settings)), QString("Landscape"));
        QCOMPARE(Unnamed(Interface(&settings)), QStringList());
        settings.close();
    }

    void everyOtherWindowHasNoUnnamedControl() {
        TProgramWindows& windows = main_.Windows();
        QCOMPARE(Name(VST(windows.CategoryManager())), QString("Categories"));
        QCOMPARE(Name(Edit1(windows.CategoryEditor())), QString("Category name"));
        QCOMPARE(Name(SpeedButtons(windows.CategoryEditor())[5]), QString("Icon 6, a light bulb"));
        QCOMPARE(Name(Edit1(windows.ReminderPopup())), QString("Task"));
        QCOMPARE(Name(GroupBox1(windows.ReminderPopup())), QString("Operation"));
        const QList<QWidget*> others{&windows.ReminderPopup(), &windows.About(), &windows.Options(),
                                     &windows.CategoryManager(), &windows.CategoryEditor()};
        for (QWidget* window : others) {
            window->show();
            QCOMPARE(Unnamed(Interface(window)), QStringList());
            window->hide();
        }
    }

    void theSyncWindowIsNamed() {
        InTransaction(*dm_, [&](TTableCursor&) {
            AddSyncLog(*dm_, {46000, "u1", "Buy paint", "due", "2026-12-20", "", "here"});
        });
        TFormSync sync(*dm_);
        sync.show();
        QCOMPARE(Name(&sync), QString("Sync"));
        QCOMPARE(Name(EditServer(sync)), QString("Server address"));
        QCOMPARE(Name(EditPassword(sync)), QString("Password"));
        QCOMPARE(Name(EditCommand(sync)), QString("Password command"));
        QCOMPARE(Name(ComboBoxSchedule(sync)), QString("Sync in the background"));
        QCOMPARE(Name(ListLists(sync)), QString("Task lists to sync"));
        QCOMPARE(Name(ListLog(sync)), QString("Sync log"));
        QCOMPARE(Name(BitBtnUse(sync)), QString("Use the value that lost"));
        QCOMPARE(Unnamed(Interface(&sync)), QStringList());
        sync.close();
    }

    void aNamedListIsCalledByItsNameAndReadsItsValue() {
        QComboBox list;
        list.addItems({"A4", "Letter"});
        list.setCurrentIndex(1);
        QAccessibleInterface* element = Interface(&list);
        QCOMPARE(element->text(QAccessible::Name), QString("Letter"));
        list.setAccessibleName("Page size");
        QCOMPARE(element->text(QAccessible::Name), QString("Page size"));
        QCOMPARE(element->text(QAccessible::Value), QString("Letter"));
        QCOMPARE(element->childCount(), 1);
        QCOMPARE(element->child(0)->object(), static_cast<QObject*>(list.view()));
        QCOMPARE(element->indexOfChild(element->child(0)), 0);
        // An editable list keeps its line edit, where the typed text is read.
        list.setEditable(true);
        list.setEditText("Custom");
        QCOMPARE(element->childCount(), 2);
        QCOMPARE(element->child(1)->role(), QAccessible::EditableText);
        QCOMPARE(element->text(QAccessible::Value), QString("Custom"));
    }

    void aMessageBoxIsAnAlertWithItsText() {
        SetUnansweredMessageBoxHandler({});
        QAccessible::Role role = QAccessible::NoRole;
        QString name;
        QString description;
        QStringList unnamed;
        WhenModalOpens([&](QWidget& box) {
            QAccessibleInterface* alert = Interface(&box);
            role = alert->role();
            name = alert->text(QAccessible::Name);
            description = alert->text(QAccessible::Description);
            unnamed = Unnamed(alert);
        });
        ShowErrorBox(main_.get(), "Error, Task can not be empty!");
        FailOnUnansweredMessageBoxes();
        QCOMPARE(role, QAccessible::AlertMessage);
        QCOMPARE(name, QString("Error"));
        QCOMPARE(description, QString("Error, Task can not be empty!"));
        QCOMPARE(unnamed, QStringList());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    FailOnUnansweredMessageBoxes();
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Accessibility.moc"
