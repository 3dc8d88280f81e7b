// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Accessibility.h"

#include "uikit/MyImage.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>

namespace {

// A frame button, a menu label or a link: named after its text unless given a name, and
// pressed by its action. The press is queued, so that a window the click opens modally runs
// its loop after the assistive technology has its answer, as a button's own press does.
class TAccessibleImage : public QAccessibleWidget {
public:
    explicit TAccessibleImage(TMyImage* image) : QAccessibleWidget(image) {}

    // Asked each time: the interface may be made before the window sets the role.
    QAccessible::Role role() const override { return Image()->AccessibleRole(); }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return Image()->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (widget()->isEnabled())
            QMetaObject::invokeMethod(Image(), &TMyImage::Click, Qt::QueuedConnection);
    }

private:
    TMyImage* Image() const { return static_cast<TMyImage*>(widget()); }
};

// A drop-down list named after its label where it has been given a name; Qt's own reads the
// current entry as the name on this platform, so that every list of a window sounds like its
// value. The value, the popup list and the actions are those of Qt's own.
class TAccessibleComboBox : public QAccessibleWidget {
public:
    explicit TAccessibleComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value ||
            (kind == QAccessible::Name && Box()->accessibleName().isEmpty()))
            return Box()->isEditable() ? Box()->lineEdit()->text() : Box()->currentText();
        return QAccessibleWidget::text(kind);
    }

    // The popup list, and the line edit of an editable list.
    int childCount() const override { return Box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(Box()->view());
        if (index == 1 && Box()->isEditable())
            return QAccessible::queryAccessibleInterface(Box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        if (child->object() == Box()->view())
            return 0;
        return Box()->isEditable() && child->object() == Box()->lineEdit() ? 1 : -1;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Box()->view()->isVisible();
        state.editable = Box()->isEditable();
        return state;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (Box()->view()->isVisible())
            Box()->hidePopup();
        else
            Box()->showPopup();
    }

private:
    QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* MakeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("TMyImage"))
        return new TAccessibleImage(static_cast<TMyImage*>(object));
    if (className == QLatin1String("QComboBox"))
        return new TAccessibleComboBox(static_cast<QComboBox*>(object));
    // A window made of a plain widget (the main window) is a window to a screen reader, as a
    // dialog is a dialog, so that it is announced by its title when it comes forward.
    if (className == QLatin1String("QWidget") && static_cast<QWidget*>(object)->isWindow())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeInterface);
        return true;
    }();
    (void)installed;
}
