// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QWidget>

#include <functional>
#include <type_traits>

// Errors stop at the edge of our own code: every handler connected to a signal, and every
// overridden event function that can reach the store, runs inside RunReportingErrors, so that
// no exception unwinds through Qt's frames (they are built without clean-up code).

// Shows the error being handled in an error box over parent. Call it only inside a catch block.
void ShowCaughtError(QWidget* parent);

// Runs work; an error ends the work, its text is shown in an error box over parent, and the
// caller goes on. What the work changed before the error stays.
void RunReportingErrors(QWidget* parent, const std::function<void()>& work);

// Connects a signal to a handler that runs inside RunReportingErrors. The handler is a member
// of the receiver or a function object, and takes the signal's arguments or none.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection ConnectReporting(Sender* sender, Signal signal, Receiver* receiver,
                                         Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto... args) -> void {
        QWidget* parent = nullptr;
        if constexpr (std::is_base_of_v<QWidget, Receiver>)
            parent = receiver;
        RunReportingErrors(parent, [&] {
            if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                std::invoke(handler, receiver, args...);
            else if constexpr (std::is_invocable_v<Handler, Receiver*>)
                std::invoke(handler, receiver);
            else if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
                handler(args...);
            else
                handler();
        });
    });
}
