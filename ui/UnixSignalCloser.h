#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class TTVXMainForm;

// Turns SIGTERM, SIGINT and SIGHUP into closing the main window, exactly as
// the Exit command does, so that a session that logs out loses nothing. The
// handler only writes to a socket; the rest happens in the event loop.
//
// Made before anything can show a box: a signal that comes while the window
// is still being built (a box of the start-up is open) is remembered, the box
// is closed, and the window is closed as soon as it exists. From the first
// signal on nothing waits for a click any more.
class UnixSignalCloser : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalCloser(TTVXMainForm* window = nullptr);
    ~UnixSignalCloser() override;

    // The window to close from now on. Whoever makes it closes it when a
    // signal came before (signalled()).
    void setWindow(TTVXMainForm* window);
    bool signalled() const { return signals_ > 0; }

private:
    void onSignal();

    QPointer<TTVXMainForm> window_;
    QSocketNotifier* notifier_ = nullptr;
    int signals_ = 0;
};
