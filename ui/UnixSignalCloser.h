#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

// Turns SIGTERM, SIGINT and SIGHUP into closing the given window, exactly as
// the Exit command does, so that a session that logs out loses nothing. The
// handler only writes to a pipe; the window is closed from the event loop.
class UnixSignalCloser : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalCloser(QWidget* window);
    ~UnixSignalCloser() override;

private:
    void onSignal();

    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};
