#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;
class QTimer;
class RecordStore;
class TDBMowerList;

// Keeps the list in step with what the other PCs of the workshop change: the
// server announces each change on the store's connection, whose socket this
// watches (no polling); the list then catches up. When the connection
// breaks, it is tried again every few seconds, and the list reads again
// whatever it missed meanwhile. Nothing happens for a store that announces
// nothing (a folder).
class LiveListFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int ReconnectMilliseconds = 3000;

    // `busy` says when the list may not change under the dealer (a command
    // or a modal dialog): the changes wait until it is not.
    LiveListFeed(RecordStore& store, TDBMowerList& list, std::function<bool()> busy, QObject* parent);

    void start();

signals:
    // The list changed: the window may show it (counts, status).
    void listChanged();

private:
    void watch(int socket);
    void changesAnnounced();
    void catchUp();
    void reconnect();

    RecordStore& store_;
    TDBMowerList& list_;
    std::function<bool()> busy_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* later_ = nullptr;      // changes that waited for the dealer
    QTimer* reconnect_ = nullptr;  // a broken connection tried again
};
