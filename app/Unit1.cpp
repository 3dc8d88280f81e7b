// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "app/MenuText.h"
#include "categories/Unit15.h"
#include "editor/Unit17.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "reminders/DesktopNotifications.h"
#include "reminders/ReminderCheck.h"
#include "resources/Pictures.h"
#include "store/DmUnit.h"
#include "store/records/TaskTable.h"
#include "store/settings/Settings.h"
#include "tasklist/Unit2.h"
#include "uikit/Activation.h"
#include "uikit/Controls.h"
#include "uikit/FrameController.h"
#include "uikit/Reporting.h"
#include "uikit/myLabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QColor MenuLabelColour(128, 128, 128);
const QColor MenuLabelHoverColour(250, 250, 250);

void SetTextColour(QWidget* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

TForm1::TForm1(TDM& dm, TTaskArrays& tasks, const TStartOptions& options,
               const TOpenedWindows& windows, QWidget* parent)
    : QWidget(parent), dm_(dm), tasks_(tasks), options_(options), windows_(windows) {
    setObjectName("Form1");
    setWindowTitle("Tolvek Organizer");
    resize(788, 569);
    CreateTrayIcon();
    Reminders = new TReminderCheck(dm_, tasks_, windows_.reminderPopup, windows_.taskEditor,
                                   *TrayIcon1, options_.trayAvailable, *this, this);
    if (options_.desktopNotifications)
        Reminders->UseDesktopNotifications(MakeNotificationClient(Reminders));
    FormCreate();
    ConnectSyncWindow();
    if (options_.backgroundSync)
        StartSync();
}

TForm1::~TForm1() {
    dm_.ADOTable1.SetAfterWrite({});
    // A copy still being made is waited for; its outcome is not reported any more.
    if (backupThread_.joinable())
        backupThread_.join();
}

void TForm1::FormCreate() {
    ReadSettings(SettingsFilePath());
    ExitRequested = false;

    ListShown = false;
    ShownCategory = 0;
    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Form2 = new TForm2(dm_, tasks_, windows_.taskEditor, windows_.printSettings, *this, Panel1);
    Form2->hide();
    connect(Form2, &TForm2::TasksLoaded, Reminders, &TReminderCheck::Start);
    RunReportingErrors(this, [&] { LoadAtStartup(); });

    Frame = new TFrameController(this, TFrameKind::Main);
    Frame->SetTitle("Tolvek Organizer");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(200, 200, 200));
    setPalette(palette);
    setAutoFillBackground(true);
    PlacePanel1();

    CreateMenuLabels();
    CreateMenuKeys();
    CreateCategoryMenu();
    ConnectReporting(Form2, &TForm2::CategoriesChanged, this, [this] {
        LoadCategoryMenu();
        CheckLoadedCategoryItem();
    });
    // A start whose load failed has shown its error; the menu would only repeat it.
    if (dm_.Writable())
        RunReportingErrors(this, [&] { LoadCategoryMenu(); });
}

void TForm1::CreateMenuLabels() {
    QFont font = StandInFont();
    font.setBold(true);
    font.setPixelSize(11);
    // Each label is as wide as its text measures in the font the layout was made with; the
    // stand-in font measures a pixel or two off, and the places the user knows win.
    int left = 15;
    auto make = [&](const QString& text, const char* name, int width, const char* does) {
        auto* label = new TMyLabel(this);
        label->setObjectName(name);
        label->setText(text);
        label->setAccessibleDescription(does);
        label->setFont(font);
        SetTextColour(label, MenuLabelColour);
        label->adjustSize();
        label->setGeometry(left, 27, width, label->height());
        left += width + 10;
        connect(label, &TMyLabel::OnMouseEnter, this,
                [label] { SetTextColour(label, MenuLabelHoverColour); });
        connect(label, &TMyLabel::OnMouseLeave, this,
                [label] { SetTextColour(label, MenuLabelColour); });
        return label;
    };
    Label6 = make("Category", "Label6", 50, "Shows the category filter menu (Alt+C)");
    LabelOptions = make("Options", "LabelOptions", 43, "Opens the options (Alt+O)");
    LabelHelp = make("Help", "LabelHelp", 24, "Opens the help (F1)");
    LabelAbout = make("About", "LabelAbout", 33, "Opens the about window (Alt+A)");
    LabelExit = make("Exit", "LabelExit", 19, "Ends the program (Ctrl+Q)");
    // Nothing follows "Exit": it may take the room its text needs, or its last letter is cut.
    LabelExit->resize(qMax(LabelExit->width(), LabelExit->sizeHint().width()), LabelExit->height());
    ConnectReporting(Label6, &TMyLabel::clicked, this, &TForm1::Label6Click);
    ConnectReporting(LabelOptions, &TMyLabel::clicked, this, &TForm1::OptionsClick);
    ConnectReporting(LabelHelp, &TMyLabel::clicked, this, &TForm1::HelpClick);
    ConnectReporting(LabelAbout, &TMyLabel::clicked, this, &TForm1::AboutClick);
    ConnectReporting(LabelExit, &TMyLabel::clicked, this, &TForm1::Exit1Click);
}

// The labels draw no underlined letter, so their keys are the usual ones of a menu bar's
// entries, and F1 for the help; each does what a click on its label does.
void TForm1::CreateMenuKeys() {
    const std::pair<QKeySequence, TMyLabel*> keys[] = {
        {QKeySequence(Qt::ALT | Qt::Key_C), Label6},
        {QKeySequence(Qt::ALT | Qt::Key_O), LabelOptions},
        {QKeySequence(Qt::Key_F1), LabelHelp},
        {QKeySequence(Qt::ALT | Qt::Key_H), LabelHelp},
        {QKeySequence(Qt::ALT | Qt::Key_A), LabelAbout},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), LabelExit},
    };
    for (const auto& [key, label] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, label, &TMyLabel::Click);
}

void TForm1::CreateCategoryMenu() {
    cpm = new QMenu(this);
    cpm->setObjectName("cpm");
    // Separators next to each other or at either end are hidden, so that without
    // categories the menu shows "All", one separator and "Edit Category...".
    cpm->setSeparatorsCollapsible(true);
    All1 = cpm->addAction("All");
    All1->setObjectName("All1");
    All1->setCheckable(true);
    All1->setChecked(true);
    ConnectReporting(All1, &QAction::triggered, this, &TForm1::All1Click);
    cpm->addSeparator();
    for (int k = 0; k < 10; ++k) {
        QAction* item = cpm->addAction(QString());
        item->setObjectName(QString("c%1").arg(k + 1));
        item->setData(k + 1);
        item->setCheckable(true);
        item->setVisible(false);
        ConnectReporting(item, &QAction::triggered, this, [this, item] { c1Click(item); });
        CategoryItems[k] = item;
    }
    cpm->addSeparator();
    EditCategory1 = cpm->addAction("Edit Category...");
    EditCategory1->setObjectName("EditCategory1");
    ConnectReporting(EditCategory1, &QAction::triggered, this, &TForm1::EditCategory1Click);
    Sync1 = cpm->addAction("Sync...");
    Sync1->setObjectName("Sync1");
    ConnectReporting(Sync1, &QAction::triggered, this, &TForm1::Sync1Click);
}

void TForm1::CreateTrayIcon() {
    TrayIcon1 = new QSystemTrayIcon(ProgramIcon(), this);
    TrayIcon1->setObjectName("TrayIcon1");
    TrayIcon1->setToolTip("Tolvek Organizer");
    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName("TrayMenu");
    ShowOrganizer1 = TrayMenu->addAction("Show Organizer");
    ShowOrganizer1->setObjectName("ShowOrganizer1");
    QFont bold = ShowOrganizer1->font();
    bold.setBold(true);
    ShowOrganizer1->setFont(bold);
    // Shown only while a sync account is set up; hidden, it takes no room in the menu.
    SyncNow1 = TrayMenu->addAction("Sync Now");
    SyncNow1->setObjectName("SyncNow1");
    SyncNow1->setVisible(false);
    TrayMenu->addSeparator();
    Exit1 = TrayMenu->addAction("Exit");
    Exit1->setObjectName("Exit1");
    ConnectReporting(ShowOrganizer1, &QAction::triggered, this, &TForm1::ShowOrganizer);
    ConnectReporting(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    TrayIcon1->setContextMenu(TrayMenu);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    ShowOrganizer1->trigger();
            });
    if (options_.trayAvailable)
        TrayIcon1->show();
}

void TForm1::ShowAtStartup() {
    if (TrayIcon1Startup()) {
        show();
        // The launcher's token brings the first window up in front of the one it was started
        // from.
        if (options_.tokenActivation)
            ActivateWithToken(this, options_.activationToken);
    } else if (!options_.trayAvailable) {
        HideIntoTray();
    }
    // The first sync comes once the window is up and the event loop runs.
    if (sync_)
        sync_->Start();
}

void TForm1::LoadCategoryMenu() {
    MenuCategories.clear();
    MenuCategories = LoadCategories(dm_);
    const size_t shown = std::min(MenuCategories.size(), CategoryItems.size());
    QStringList captions{"All"};
    for (size_t i = 0; i < shown; ++i)
        captions << QString::fromStdString(MenuCategories[i].strName);
    captions << "Edit Category..."
             << "Sync...";
    captions = WithAccelerators(captions);
    All1->setText(captions.front());
    EditCategory1->setText(captions[captions.size() - 2]);
    Sync1->setText(captions.back());
    for (size_t i = 0; i < CategoryItems.size(); ++i) {
        QAction* item = CategoryItems[i];
        item->setChecked(false);
        item->setVisible(i < shown);
        item->setText(i < shown ? captions[static_cast<int>(i) + 1] : QString());
    }
}

std::string TForm1::CategoryName(int32_t id) const {
    for (const TMyRec1& category : MenuCategories)
        if (category.id == id)
            return category.strName;
    return {};
}

void TForm1::Label6Click() {
    cpm->exec(mapToGlobal(QPoint(14, 43)));
    if (!Label6->geometry().contains(mapFromGlobal(QCursor::pos())))
        SetTextColour(Label6, MenuLabelColour);
}

void TForm1::c1Click(QAction* Sender) {
    All1->setChecked(false);
    for (QAction* item : CategoryItems)
        item->setChecked(false);
    Sender->setChecked(true);
    const size_t index = static_cast<size_t>(Sender->data().toInt() - 1);
    if (index >= MenuCategories.size())
        return;
    ShownCategory = MenuCategories[index].id;
    if (Form2->LoadedCategory != ShownCategory)
        Form2->LoadTasks(ShownCategory);
}

void TForm1::All1Click() {
    for (QAction* item : CategoryItems)
        item->setChecked(false);
    All1->setChecked(true);
    ShownCategory = 0;
    if (Form2->LoadedCategory != 0)
        Form2->LoadTasks(0);
}

void TForm1::EditCategory1Click() {
    windows_.categoryManager.exec();
    LoadCategoryMenu();
    CheckLoadedCategoryItem();
}

void TForm1::CheckLoadedCategoryItem() {
    if (Form2->LoadedCategory == 0)
        return;
    for (size_t i = 0; i < MenuCategories.size() && i < CategoryItems.size(); ++i)
        if (MenuCategories[i].id == Form2->LoadedCategory) {
            CategoryItems[i]->setChecked(true);
            break;
        }
}

void TForm1::HelpClick() {
    const QString path = QString::fromStdString(dm_.HelpFile());
    // A missing help file or viewer is not reported.
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TForm1::OptionsClick() {
    windows_.options.exec();
}

void TForm1::AboutClick() {
    windows_.about.exec();
}

void TForm1::Exit1Click() {
    ExitRequested = true;
    close();
}

void TForm1::PauseReminderCheck() {
    Reminders->PauseReminderCheck();
}

void TForm1::ResumeReminderCheck() {
    Reminders->ResumeReminderCheck();
}

void TForm1::ShowOrganizer() {
    if (MainShown)
        return;
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    MainShown = true;
}

void TForm1::WMCloseEditor(qintptr lParam) {
    if (lParam == 0)
        windows_.taskEditor.close();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    MainShown = true;
    if (!ListShown) {
        ListShown = true;
        Form2->show();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (ExitRequested) {
        event->accept();
        FormClose();
        return;
    }
    event->ignore();
    HideIntoTray();
}

void TForm1::HideIntoTray() {
    if (options_.trayAvailable)
        hide();
    else
        showMinimized();
    MainShown = false;
}

void TForm1::FormClose() {
    TrayIcon1->hide();
    QCoreApplication::quit();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (Panel1)
        PlacePanel1();
}

// The docked task list fills the client panel, which follows every edge of the window.
void TForm1::PlacePanel1() {
    Panel1->setGeometry(6, 43, width() - 13, height() - 50);
    Form2->setGeometry(Panel1->rect());
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Without a notification area the window is minimized rather than hidden; brought back
    // through the taskbar it counts as shown again.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
        MainShown = true;
}

#ifdef Q_OS_WIN
bool TForm1::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (eventType == "windows_generic_MSG" && msg->message == WM_USER + 100) {
        WMCloseEditor(msg->lParam);
        *result = 0;
        return true;
    }
    return QWidget::nativeEvent(eventType, message, result);
}
#endif
