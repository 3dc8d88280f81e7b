#pragma once

#include <QApplication>
#include <functional>

class QWidget;

// The application object. An error thrown by an event handler ends that handler only: its
// text is shown in an error box and the event loop goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs work that is not an event handler (start-up steps) with the same error handling:
// an error is shown in an error box and the caller goes on.
void RunReportingErrors(QWidget* parent, const std::function<void()>& work);
