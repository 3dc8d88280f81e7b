// SPDX-License-Identifier: GPL-3.0-or-later

#include "syncing/FormSync.h"

#include "store/DmUnit.h"
#include "store/dates/DateText.h"
#include "store/records/TaskTable.h"
#include "store/sync/LostValue.h"
#include "sync/BlockingCalDav.h"
#include "sync/Credentials.h"
#include "sync/DavHref.h"
#include "syncing/SyncWords.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

namespace {

// Where a row of the list of lists comes from: a server list has its href, a category here
// without a list its name.
constexpr int HrefRole = Qt::UserRole;
constexpr int CategoryRole = Qt::UserRole + 1;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString OneLine(const std::string& text) {
    return Q(text).replace("\r\n", " ").replace('\n', ' ');
}

bool Contains(const std::vector<std::string>& texts, const QString& text) {
    return std::find(texts.begin(), texts.end(), text.toStdString()) != texts.end();
}

} // namespace

TFormSync::TFormSync(TDM& dm, QWidget* parent)
    : TSkinnedDialog("FormSync", TFrameKind::Dialog, "Sync", parent), dm_(dm) {
    CreateControls();
    ConnectReporting(BitBtnTest, &QPushButton::clicked, this, &TFormSync::BitBtnTestClick);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TFormSync::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    ConnectReporting(BitBtnUse, &QPushButton::clicked, this, &TFormSync::BitBtnUseClick);
    connect(BitBtnSyncNow, &QPushButton::clicked, this, &TFormSync::SyncRequested);
    ConnectReporting(BitBtnRemove, &QPushButton::clicked, this, &TFormSync::BitBtnRemoveClick);
    ConnectReporting(ListLists, &QTreeWidget::itemChanged, this, &TFormSync::ShowMappings);
    connect(ListLog, &QTreeWidget::itemSelectionChanged, this,
            [this] { BitBtnUse->setEnabled(ListLog->currentItem() != nullptr); });
    // The account and the state are read when the window is shown (or refreshed), where an
    // error of the file shows in its box instead of stopping the program's start.
    BitBtnUse->setEnabled(false);
    BitBtnSyncNow->setEnabled(false);
    BitBtnRemove->setEnabled(false);
}

void TFormSync::FormShow() {
    ClearTest();
    Refresh();
    ShowAccount();
    EditServer->setFocus();
}

void TFormSync::FormClose() {
    ClearTest();
    EditPassword->clear();
}

void TFormSync::SetSyncProblem(const QString& problem) {
    problem_ = problem;
    LabelProblem->setText(problem.isEmpty() ? QString() : "Not in sync: " + problem);
}

void TFormSync::Refresh() {
    saved_ = ReadSyncAccount(SyncSettingsPath(), dm_.DatabasePath());
    ShowState();
}

TSyncAccount TFormSync::FieldsAccount() const {
    TSyncAccount account = saved_.value_or(TSyncAccount{});
    account.server = EditServer->text().trimmed().toStdString();
    account.user = EditUser->text().trimmed().toStdString();
    account.passwordCommand = EditCommand->text().trimmed().toStdString();
    account.allowInsecureHttp = CheckBoxInsecure->isChecked();
    account.scheduleMinutes = ComboBoxSchedule->currentData().toInt();
    account.syncAfterChange = CheckBoxAfterChange->isChecked();
    return account;
}

bool TFormSync::ListsKnown(const TSyncAccount& account) const {
    return found_ && foundFor_.server == account.server && foundFor_.user == account.user;
}

bool TFormSync::SameAsSaved(const TSyncAccount& account) const {
    return saved_ && saved_->server == account.server && saved_->user == account.user;
}

void TFormSync::ShowAccount() {
    const TSyncAccount account = saved_.value_or(TSyncAccount{});
    EditServer->setText(Q(account.server));
    EditUser->setText(Q(account.user));
    EditPassword->clear();
    EditPassword->setPlaceholderText(saved_ && account.passwordCommand.empty() &&
                                             !account.user.empty()
                                         ? "kept; type to change it"
                                         : QString());
    EditCommand->setText(Q(account.passwordCommand));
    CheckBoxInsecure->setChecked(account.allowInsecureHttp);
    const int schedule = ComboBoxSchedule->findData(account.scheduleMinutes);
    ComboBoxSchedule->setCurrentIndex(schedule < 0 ? ComboBoxSchedule->findData(15) : schedule);
    CheckBoxAfterChange->setChecked(account.syncAfterChange);
    CheckBoxThisRun->setChecked(false);
    CheckBoxThisRun->hide();
    LabelPasswordNote->setText("Kept in the desktop's secret store, never in the database or the "
                               "settings file; a command named below gives it instead.");
    const size_t lists = account.lists.size();
    LabelTest->setText(
        !saved_ ? QString()
                : QString("Syncing %1 %2. \"Test\" shows the server's lists to choose again.")
                      .arg(lists)
                      .arg(lists == 1 ? "list" : "lists"));
}

void TFormSync::ShowSecretStoreMissing() {
    LabelPasswordNote->setText("No secret store answers on this desktop: name a command that "
                               "prints the password, or keep it for this run only.");
    CheckBoxThisRun->show();
}

void TFormSync::ShowState() {
    if (!saved_) {
        LabelLastSync->setText("No sync account is set up.");
    } else {
        const std::string last = ReadSyncValue(dm_, LastSyncTimeKey);
        LabelLastSync->setText(
            last.empty() ? QString("Last sync: never")
                         : Q("Last sync: " + last + ": " + ReadSyncValue(dm_, LastSyncResultKey)));
    }
    LabelWaiting->setText(QString("Changes waiting to be sent: %1").arg(WaitingChanges(dm_)));
    SetSyncProblem(problem_);
    log_ = ReadSyncLog(dm_);
    ListLog->clear();
    for (const TSyncLogEntry& entry : log_) {
        auto* item = new QTreeWidgetItem(ListLog, {Q(FormatDateMinute(entry.time)),
                                                   OneLine(entry.task), Q(entry.field),
                                                   OneLine(entry.kept), OneLine(entry.lost)});
        item->setToolTip(3, Q(entry.kept));
        item->setToolTip(4, Q(entry.lost));
    }
    BitBtnUse->setEnabled(false);
    BitBtnSyncNow->setEnabled(saved_.has_value());
    BitBtnRemove->setEnabled(saved_.has_value());
}

void TFormSync::SetTesting(bool testing) {
    BitBtnTest->setEnabled(!testing);
    BitBtn1->setEnabled(!testing);
    if (testing)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TFormSync::ClearTest() {
    ++attempt_;
    if (client_)
        client_->AbortAll();
    found_.reset();
    saveAfterTest_ = false;
    ListLists->clear();
    LabelTest->clear();
    SetTesting(false);
}

// Each step that waits for an answer checks that the window still waits for it: a close, or
// another test, started since makes it moot.
void TFormSync::WithPassword(const TPasswordUse& use) {
    const TSyncAccount account = FieldsAccount();
    const int attempt = attempt_;
    const auto answered = [this, attempt, use](const TPasswordResult& result) {
        RunReportingErrors(this, [&] {
            if (attempt != attempt_)
                return;
            if (result.Ok())
                return use(result.password);
            if (result.error == TSecretErrorKind::NoSecretStore)
                ShowSecretStoreMissing();
            SetTesting(false);
            saveAfterTest_ = false;
            LabelTest->setText(result.message);
        });
    };
    if (!EditPassword->text().isEmpty())
        use(EditPassword->text());
    else if (!account.passwordCommand.empty() || (SameAsSaved(account) && !account.user.empty()))
        ReadAccountPassword(account, this, answered);
    else
        use(QString());
}

void TFormSync::BitBtnTestClick() {
    const TSyncAccount account = FieldsAccount();
    if (account.server.empty()) {
        saveAfterTest_ = false;
        ShowErrorBox(this, "Error, Server address can not be empty!");
        return;
    }
    SetTesting(true);
    LabelTest->setText(Q("Looking for the task lists at " + account.server + "..."));
    WithPassword([this](const QString& password) { Discover(password); });
}

void TFormSync::Discover(const QString& password) {
    const TSyncAccount account = FieldsAccount();
    delete client_;
    client_ = new TCalDavClient(AccountOptions(account, password), this);
    const int attempt = attempt_;
    client_->Discover(UserAddress(Q(account.server)),
                      [this, attempt, account, password](const TDavResult<TDiscovery>& found) {
                          RunReportingErrors(this, [&] {
                              if (attempt != attempt_)
                                  return;
                              foundFor_ = account;
                              foundWith_ = password;
                              ShowDiscovery(found);
                          });
                      });
}

void TFormSync::ShowDiscovery(const TDavResult<TDiscovery>& found) {
    SetTesting(false);
    if (!found.Ok()) {
        found_.reset();
        ListLists->clear();
        saveAfterTest_ = false;
        LabelTest->setText(ServerErrorSentence(found.error));
        return;
    }
    found_ = found.value;
    ShowLists();
    const qsizetype count = TaskLists(*found_).size();
    LabelTest->setText(count == 0 ? QString("The account works. The server has no task lists "
                                            "yet: check a category to make one of it there.")
                       : count == 1
                           ? QString("The account works: 1 task list found.")
                           : QString("The account works: %1 task lists found.").arg(count));
    if (saveAfterTest_) {
        saveAfterTest_ = false;
        Save();
    }
}

void TFormSync::ShowLists() {
    const QSignalBlocker quiet(ListLists);
    ListLists->clear();
    const QList<TCollection> lists = TaskLists(*found_);
    categories_ = LoadCategories(dm_);
    const std::vector<TListMapping> mappings = MapLists(lists, categories_);
    // The lists chosen before stay chosen; a new account starts with every list that fits.
    const bool chosenBefore = SameAsSaved(foundFor_) && !saved_->lists.empty();
    for (qsizetype i = 0; i < lists.size(); ++i) {
        auto* item = new QTreeWidgetItem(ListLists, {lists[i].displayName.trimmed()});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setData(0, HrefRole, lists[i].href);
        const bool chosen =
            chosenBefore ? Contains(saved_->lists, lists[i].href)
                         : mappings[static_cast<size_t>(i)].kind != TListMapping::Kind::NoRoom;
        item->setCheckState(0, chosen ? Qt::Checked : Qt::Unchecked);
    }
    for (const TMyRec1& category : CategoriesWithoutList(lists, categories_)) {
        auto* item = new QTreeWidgetItem(ListLists, {Q(category.strName)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setData(0, CategoryRole, Q(category.strName));
        item->setCheckState(0, Qt::Unchecked);
    }
    ShowMappings();
}

// The category beside each list follows the check boxes: lists take categories in their
// order, and only checked lists take one.
void TFormSync::ShowMappings() {
    if (!found_)
        return;
    const QSignalBlocker quiet(ListLists);
    const QList<TCollection> lists = TaskLists(*found_);
    QList<TCollection> checked;
    for (int row = 0; row < lists.size(); ++row)
        if (ListLists->topLevelItem(row)->checkState(0) == Qt::Checked)
            checked.append(lists[row]);
    const std::vector<TListMapping> mappings = MapLists(checked, categories_);
    size_t next = 0;
    for (int row = 0; row < ListLists->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ListLists->topLevelItem(row);
        const bool on = item->checkState(0) == Qt::Checked;
        if (row >= lists.size())
            item->setText(1, on ? item->text(0) + ", a new list on the server"
                                : QString("only here: check it to make a list of it there"));
        else
            item->setText(1, on ? MappingText(mappings[next++]) : QString("not synced"));
    }
}

void TFormSync::BitBtn1Click() {
    const TSyncAccount account = FieldsAccount();
    if (account.server.empty()) {
        ShowErrorBox(this, "Error, Server address can not be empty!");
        return;
    }
    // A new address or user is tried before it is kept: OK goes on once the lists are in.
    if (!ListsKnown(account) && !SameAsSaved(account)) {
        saveAfterTest_ = true;
        BitBtnTestClick();
        return;
    }
    Save();
}

void TFormSync::Save() {
    const TSyncAccount account = FieldsAccount();
    if (ListsKnown(account) && ChosenCount() == 0) {
        ShowErrorBox(this, "Error, Check at least one task list to sync!");
        return;
    }
    const QString typed = EditPassword->text();
    if (!account.passwordCommand.empty() || account.user.empty())
        return Finish(account, QString());
    if (typed.isEmpty()) {
        if (SameAsSaved(account) && saved_->passwordCommand.empty())
            return Finish(account, QString());
        ShowErrorBox(this, "Error, Password can not be empty! Type it, or name a command that "
                           "prints it.");
        return;
    }
    if (CheckBoxThisRun->isChecked())
        return Finish(account, typed);
    SetTesting(true);
    const int attempt = attempt_;
    WriteSecret(SecretKey(Q(account.server), Q(account.user)), typed, this,
                [this, attempt, account](const TPasswordResult& result) {
                    RunReportingErrors(this, [&] {
                        if (attempt != attempt_)
                            return;
                        SetTesting(false);
                        if (result.Ok())
                            return Finish(account, QString());
                        if (result.error == TSecretErrorKind::NoSecretStore)
                            ShowSecretStoreMissing();
                        LabelTest->setText(result.message);
                    });
                });
}

int TFormSync::ChosenCount() const {
    int count = 0;
    for (int row = 0; row < ListLists->topLevelItemCount(); ++row)
        count += ListLists->topLevelItem(row)->checkState(0) == Qt::Checked ? 1 : 0;
    return count;
}

std::vector<std::string> TFormSync::ChosenLists() {
    std::vector<std::string> hrefs;
    std::vector<std::string> names;
    for (int row = 0; row < ListLists->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = ListLists->topLevelItem(row);
        if (item->checkState(0) != Qt::Checked)
            continue;
        if (const QString href = item->data(0, HrefRole).toString(); !href.isEmpty())
            hrefs.push_back(href.toStdString());
        else
            names.push_back(item->data(0, CategoryRole).toString().toStdString());
    }
    if (!names.empty()) {
        LabelTest->setText("Making the new lists on the server...");
        LabelTest->repaint();
        TBlockingCalDav client(AccountOptions(foundFor_, foundWith_));
        std::vector<std::string> made;
        for (const std::string& href : ChooseLists(client, *found_, categories_, names, made))
            hrefs.push_back(href);
    }
    return hrefs;
}

void TFormSync::Finish(TSyncAccount account, const QString& passwordForThisRun) {
    if (ListsKnown(account))
        account.lists = ChosenLists();
    MapListsAgain(dm_, account.lists);
    WriteSyncAccount(SyncSettingsPath(), dm_.DatabasePath(), account);
    saved_ = account;
    if (!passwordForThisRun.isEmpty())
        emit PasswordForThisRun(passwordForThisRun);
    emit AccountChanged();
    accept();
}

void TFormSync::BitBtnUseClick() {
    QTreeWidgetItem* item = ListLog->currentItem();
    if (!item)
        return;
    const TSyncLogEntry entry = log_.at(static_cast<size_t>(ListLog->indexOfTopLevelItem(item)));
    UseLostValue(dm_, entry);
    ShowState();
    emit TasksChanged();
    emit SyncRequested();
}

void TFormSync::BitBtnRemoveClick() {
    if (!saved_ || !AskConfirm(this, "Remove the sync account? Syncing stops and its password "
                                     "is forgotten; the tasks stay, here and on the server."))
        return;
    const TSyncAccount gone = *saved_;
    RemoveSyncAccount(SyncSettingsPath(), dm_.DatabasePath());
    saved_.reset();
    emit AccountChanged();
    if (gone.passwordCommand.empty() && !gone.user.empty())
        DeleteSecret(SecretKey(Q(gone.server), Q(gone.user)), this,
                     [this](const TPasswordResult& result) {
                         // Without a secret store there is no password to forget.
                         if (!result.Ok() && result.error != TSecretErrorKind::NoSecretStore)
                             ShowErrorBox(this, result.message);
                     });
    ClearTest();
    ShowAccount();
    ShowState();
}
