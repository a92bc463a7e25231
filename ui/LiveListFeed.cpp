#include "ui/LiveListFeed.h"

#include "Component/RecordStore.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"

#include <QSocketNotifier>
#include <QTimer>

LiveListFeed::LiveListFeed(RecordStore& store, TDBMowerList& list, std::function<bool()> busy, QObject* parent)
    : QObject(parent), store_(store), list_(list), busy_(std::move(busy))
{
    setObjectName("liveListFeed");
    later_ = new QTimer(this);
    later_->setSingleShot(true);
    later_->setInterval(500);
    connect(later_, &QTimer::timeout, this, &LiveListFeed::catchUp);
    reconnect_ = new QTimer(this);
    reconnect_->setObjectName("liveListReconnectTimer");
    reconnect_->setInterval(ReconnectMilliseconds);
    connect(reconnect_, &QTimer::timeout, this, &LiveListFeed::reconnect);
}

void LiveListFeed::start()
{
    watch(store_.changeSocket());
}

void LiveListFeed::watch(int socket)
{
    if (notifier_ && notifier_->socket() == socket) {
        notifier_->setEnabled(true);
        return;
    }
    delete notifier_;
    notifier_ = nullptr;
    if (socket < 0)
        return;
    notifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LiveListFeed::changesAnnounced);
}

void LiveListFeed::changesAnnounced()
{
    // Until the announcements are read, the socket stays readable.
    notifier_->setEnabled(false);
    catchUp();
}

void LiveListFeed::catchUp()
{
    if (busy_ && busy_()) {
        later_->start();
        return;
    }
    if (list_.CatchUp())
        emit listChanged();
    const int socket = store_.changeSocket();
    if (socket < 0) {
        // The connection broke: a socket at its end stays readable, so it is
        // no longer watched until the server answers again.
        delete notifier_;
        notifier_ = nullptr;
        if (!reconnect_->isActive()) {
            CLogger::instance().log("database server connection lost; trying again every few seconds");
            reconnect_->start();
        }
        return;
    }
    watch(socket);
}

void LiveListFeed::reconnect()
{
    if (busy_ && busy_())
        return;
    if (!store_.open())
        return;
    reconnect_->stop();
    CLogger::instance().log("database server reached again; the list reads what it missed");
    watch(store_.changeSocket());
    catchUp();
}
