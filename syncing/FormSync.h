// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/sync/SyncAccount.h"
#include "store/sync/SyncState.h"
#include "store/varUnit.h"
#include "sync/CalDavClient.h"
#include "uikit/SkinnedDialog.h"

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDM;

// The sync window: the account of the database (server address, user, where the password is
// kept), the server's task lists to sync and the category each maps to, how often to sync in
// the background, and the state: the last sync, the changes that wait and the sync log, whose
// lost values can be taken back.
//
// It never syncs itself: it asks for a sync (SyncRequested) and says when the account changed
// (AccountChanged); the program does the rest and calls SetSyncProblem and Refresh.
class TFormSync : public TSkinnedDialog {
    Q_OBJECT

public:
    explicit TFormSync(TDM& dm, QWidget* parent = nullptr);

    // Why the last background sync failed, as a person reads it; empty once it went through.
    void SetSyncProblem(const QString& problem);
    // Reads the account and the state again, after a sync.
    void Refresh();

    // "Test": asks the server for its task lists, without waiting for the answer.
    void BitBtnTestClick();
    // "OK": saves the account (after a test when the lists are not known yet) and closes.
    void BitBtn1Click();
    void BitBtnUseClick();
    void BitBtnRemoveClick();

signals:
    // The account was saved or removed: syncs start, change their schedule, or stop.
    void AccountChanged();
    // The window asks for a sync now ("Sync Now", or a value taken back from the log).
    void SyncRequested();
    // A task changed here behind the task list's back (a value taken back from the log): the
    // list reloads it.
    void TasksChanged();
    // The user keeps the password for this run only: nothing stores it.
    void PasswordForThisRun(const QString& password);

private:
    using TPasswordUse = std::function<void(const QString& password)>;

    void CreateControls();
    void CreateAccountControls();
    void CreateListControls();
    void CreateStateControls();
    void FormShow() override;
    void FormClose() override;

    // The account as the fields have it (lists aside).
    TSyncAccount FieldsAccount() const;
    bool SameAsSaved(const TSyncAccount& account) const;
    // Whether the lists shown are the server's of that address and user.
    bool ListsKnown(const TSyncAccount& account) const;
    void ShowAccount();
    void ShowState();
    void ShowSecretStoreMissing();

    // Finds the password to try (typed, from the command, or the one the store keeps for the
    // saved account) and hands it to use; a failure shows in the window.
    void WithPassword(const TPasswordUse& use);
    void Discover(const QString& password);
    void ShowDiscovery(const TDavResult<TDiscovery>& found);
    void ShowLists();
    void ShowMappings();
    void SetTesting(bool testing);

    // What OK does once the lists are known.
    void Save();
    int ChosenCount() const;
    // The hrefs of the checked lists; a list is made on the server for each checked category.
    std::vector<std::string> ChosenLists();
    void Finish(TSyncAccount account, const QString& passwordForThisRun);
    void ClearTest();

    TDM& dm_;
    std::optional<TSyncAccount> saved_;
    QString problem_;

    TCalDavClient* client_ = nullptr;
    // The last discovery that went through, the account it was made for and the password it
    // took.
    std::optional<TDiscovery> found_;
    // The categories as the lists shown were mapped to them.
    std::vector<TMyRec1> categories_;
    TSyncAccount foundFor_;
    QString foundWith_;
    bool saveAfterTest_ = false;
    // Counts the tests; an answer to an earlier one is dropped.
    int attempt_ = 0;
    std::vector<TSyncLogEntry> log_;

    QLabel* LabelServer = nullptr;
    QLineEdit* EditServer = nullptr;
    QLabel* LabelUser = nullptr;
    QLineEdit* EditUser = nullptr;
    QLabel* LabelPassword = nullptr;
    QLineEdit* EditPassword = nullptr;
    // Where the password is kept, or that no secret store answers.
    QLabel* LabelPasswordNote = nullptr;
    QLabel* LabelCommand = nullptr;
    QLineEdit* EditCommand = nullptr;
    QCheckBox* CheckBoxThisRun = nullptr;
    QCheckBox* CheckBoxInsecure = nullptr;
    QPushButton* BitBtnTest = nullptr;

    QLabel* LabelLists = nullptr;
    // The server's task lists, each with its check box and the category it maps to; then the
    // categories here without a list, for which one is made on the server when checked.
    QTreeWidget* ListLists = nullptr;
    // What the test found, or the server's error.
    QLabel* LabelTest = nullptr;

    QLabel* LabelSchedule = nullptr;
    QComboBox* ComboBoxSchedule = nullptr;
    QCheckBox* CheckBoxAfterChange = nullptr;

    QLabel* LabelLastSync = nullptr;
    QLabel* LabelWaiting = nullptr;
    QLabel* LabelProblem = nullptr;
    QLabel* LabelLog = nullptr;
    QTreeWidget* ListLog = nullptr;
    QPushButton* BitBtnUse = nullptr;
    QPushButton* BitBtnSyncNow = nullptr;
    QPushButton* BitBtnRemove = nullptr;
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"
};
