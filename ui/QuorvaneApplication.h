#pragma once

#include <QApplication>

// The application object. An exception that escapes a command is shown to the
// dealer with its text and the application goes on, instead of unwinding
// through the event loop.
class QuorvaneApplication : public QApplication {
    Q_OBJECT
public:
    QuorvaneApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
