// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/MessageBox.h"

#include "uikit/Controls.h"

#include <QApplication>
#include <QPushButton>
#include <QQueue>
#include <QScreen>
#include <QShowEvent>

namespace {

// A message box that opens centred over the window it belongs to. The box learns its final
// size only as it is shown, after Qt placed it by its size before, so the first box of a run
// would otherwise open off centre.
class TCentredMessageBox : public QMessageBox {
public:
    TCentredMessageBox(Icon icon, const QString& caption, const QString& text,
                       StandardButtons buttons, QWidget* owner)
        : QMessageBox(icon, caption, text, buttons, owner), owner_(owner) {
        setFont(WindowFont());
        // A screen reader announces the box as an alert under its caption, and its text with it.
        setAccessibleDescription(text);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        const QRect over = owner_ && owner_->isVisible() ? owner_->frameGeometry()
                           : screen()                    ? screen()->availableGeometry()
                                                         : QRect();
        if (over.isValid()) {
            QRect placed = frameGeometry();
            placed.moveCenter(over.center());
            move(placed.topLeft());
        }
    }

private:
    QWidget* owner_;
};

QQueue<QMessageBox::StandardButton>& QueuedAnswers() {
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}

QStringList& ShownBoxes() {
    static QStringList shown;
    return shown;
}

std::function<QMessageBox::StandardButton(const QString&)>& UnansweredHandler() {
    static std::function<QMessageBox::StandardButton(const QString&)> handler;
    return handler;
}

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 const QString& yesText = {}, const QString& noText = {}) {
    if (!QueuedAnswers().isEmpty()) {
        ShownBoxes().append(caption + ": " + text);
        return QueuedAnswers().dequeue();
    }
    if (UnansweredHandler()) {
        ShownBoxes().append(caption + ": " + text);
        return UnansweredHandler()(caption + ": " + text);
    }
    QWidget* owner = parent ? parent->window() : QApplication::activeWindow();
    TCentredMessageBox box(icon, caption, text, buttons, owner);
    if (!yesText.isEmpty())
        box.button(QMessageBox::Yes)->setText(yesText);
    if (!noText.isEmpty()) {
        box.button(QMessageBox::No)->setText(noText);
        // The answer that changes nothing is the one Enter gives.
        box.setDefaultButton(QMessageBox::No);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void ShowErrorBox(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::Critical, "Error", text, QMessageBox::Ok);
}

bool AskConfirm(QWidget* parent, const QString& text) {
    return Show(parent, QMessageBox::Information, "Confirm", text,
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool AskChoice(QWidget* parent, const QString& text, const QString& yesText,
               const QString& noText) {
    return Show(parent, QMessageBox::Information, "Confirm", text,
                QMessageBox::Yes | QMessageBox::No, yesText, noText) == QMessageBox::Yes;
}

void QueueMessageBoxAnswer(QMessageBox::StandardButton answer) {
    QueuedAnswers().enqueue(answer);
}

QStringList ShownMessageBoxes() {
    return ShownBoxes();
}

void ClearShownMessageBoxes() {
    ShownBoxes().clear();
}

int DropQueuedMessageBoxAnswers() {
    const int left = static_cast<int>(QueuedAnswers().size());
    QueuedAnswers().clear();
    return left;
}

void SetUnansweredMessageBoxHandler(
    std::function<QMessageBox::StandardButton(const QString& box)> handler) {
    UnansweredHandler() = std::move(handler);
}
