#include "app/common/MessageBox.h"

#include <QQueue>

namespace {

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
                                 const QString& text, QMessageBox::StandardButtons buttons) {
    if (!QueuedAnswers().isEmpty()) {
        ShownBoxes().append(caption + ": " + text);
        return QueuedAnswers().dequeue();
    }
    if (UnansweredHandler()) {
        ShownBoxes().append(caption + ": " + text);
        return UnansweredHandler()(caption + ": " + text);
    }
    QMessageBox box(icon, caption, text, buttons, parent);
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

void QueueMessageBoxAnswer(QMessageBox::StandardButton answer) {
    QueuedAnswers().enqueue(answer);
}

QStringList ShownMessageBoxes() {
    return ShownBoxes();
}

void ClearShownMessageBoxes() {
    ShownBoxes().clear();
}

void SetUnansweredMessageBoxHandler(
    std::function<QMessageBox::StandardButton(const QString& box)> handler) {
    UnansweredHandler() = std::move(handler);
}
