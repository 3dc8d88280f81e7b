// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TFrameController;

// The category editor: one category's name and icon, for a new category or an existing one.
// It writes nothing; the category manager reads the results after exec() returns.
//
// Add: set CategoryEditorMode to 1 and exec(). Edit: set CategoryEditorMode to 0, put the
// name into Edit1 and the icon into CategoryIcon, then exec(). Afterwards, when
// CategoryAccepted is true, Edit1 holds the name as typed and CategoryIcon the chosen icon.
class TForm16 : public QDialog {
    Q_OBJECT

public:
    explicit TForm16(QWidget* parent = nullptr);

    // 1: add a new category; 0: edit an existing one.
    int32_t CategoryEditorMode = 1;
    // The icon number, 1 to 10.
    int32_t CategoryIcon = 1;
    // True only after the window closed through "OK".
    bool CategoryAccepted = false;

    TFrameController* Frame = nullptr;
    QLabel* Label2 = nullptr;   // "Category Name:"
    QLineEdit* Edit1 = nullptr; // the name
    QLabel* Label3 = nullptr;   // "Select Icon:"
    // Icon button n is SpeedButtons[n - 1].
    std::array<QToolButton*, 10> SpeedButtons{};
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"

    void BitBtn1Click();
    void BitBtn2Click();

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void CreateControls();
    void FormShow();
    void SetTitle(const QString& title);

    QButtonGroup* icons_ = nullptr;
};
