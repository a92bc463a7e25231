#include "ui/TTVXMainForm.h"

#include "ui/LiveListFeed.h"

#include "Class/TVXException.h"
#include "Component/PgConnection.h"
#include "Component/RecordWindows.h"
#include "Component/ServerRecordStore.h"
#include "Component/TDBMowerList.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TStatusForm.h"
#include "core/TVXStringTable.h"
#include "core/Version.h"
#include "core/WindowPlacement.h"
#include "link/EComPort.h"
#include "link/MowerLink.h"
#include "link/WireLog.h"
#include "ui/CommandInputGate.h"
#include "ui/CommandKeys.h"
#include "ui/Mnemonics.h"
#include "ui/MowerListView.h"
#include "ui/MowerSearchBar.h"
#include "ui/QtRecordDialogs.h"
#include "ui/QtUserInteraction.h"
#include "ui/TTVXOptionForm.h"
#include "ui/RecordWindowArea.h"
#include "ui/ResponsiveClock.h"
#include "ui/ToolkitTexts.h"
#include "ui/TypePictures.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

// A label of the status line that wraps its text and takes the height of the
// lines it needs at the width it has, no more. The status bar makes itself
// as high as its widgets' least height, and a wrapping label on its own
// claims the height of its text at a narrow width: several lines of empty
// space under a window.
class StatusLineLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override
    {
        const QSize least = QLabel::minimumSizeHint();
        if (width() < least.width())
            return least;
        return {least.width(), heightForWidth(width())};
    }
    QSize sizeHint() const override { return {QLabel::sizeHint().width(), minimumSizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        // A new width may need more lines, or fewer: the status bar measures
        // its line again, and the window gives it the height that follows.
        if (const int needed = minimumSizeHint().height(); needed != height()) {
            updateGeometry();
            if (QWidget* bar = parentWidget())
                bar->updateGeometry();
        }
    }
};

}  // namespace

TTVXMainForm::TTVXMainForm(const AppPaths& paths, UserInteraction* user, QWidget* parent)
    : QMainWindow(parent)
    , paths_(paths)
    , user_(user)
{
    if (user_ == nullptr) {
        ownUser_ = std::make_unique<QtUserInteraction>(this);
        user_ = ownUser_.get();
    }
    buildLayout();
    buildKeys();
    openTraceLog();
    CLogger& logger = CLogger::instance();
    logger.log("Starting program");

    AppSettings settings;
    readSettings(settings);

    placeOnScreen(settings.left, settings.top, settings.width, settings.height);

    language = settings.language;
    TVXStringTable::instance().setLanguage(language);
    useToolkitTexts(language);

    databaseFolder_ = paths_.databaseFolder(settings.dbPath);
    databaseServer_ = settings.dbServer;
    try {
        setPort(settings.port);
    } catch (const EComPort&) {
        logger.log("Impossible to set selected port from ini file");
    }
    autoScan = settings.autoScan;

    openDatabase(settings.sortByName);
    setCaptions();
}

void TTVXMainForm::placeOnScreen(int left, int top, int width, int height)
{
    // The screen the window opens on: the one under the middle of the place,
    // or under its corner; the primary one when the place is on none (a
    // screen that has been unplugged since).
    const auto half = [](int start, int length) {
        return int(std::clamp<std::int64_t>(std::int64_t(start) + length / 2, INT_MIN, INT_MAX));
    };
    const QPoint middle(half(left, width), half(top, height));
    QScreen* screen = QGuiApplication::screenAt(middle);
    if (screen == nullptr)
        screen = QGuiApplication::screenAt(QPoint(left, top));
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        resize(width, height);
        move(left, top);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QMargins frame = windowHandle() && isVisible() ? windowHandle()->frameMargins() : QMargins();
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    const WindowPlace fitted =
        fitWindowIntoArea({left, top, width, height}, {area.x(), area.y(), area.width(), area.height()},
                          {frame.left(), frame.top(), frame.right(), frame.bottom()}, least.width(), least.height());
    resize(fitted.width, fitted.height);
    move(fitted.left, fitted.top);
}

void TTVXMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The window system puts its frame around the window when it first maps
    // it: when the window is first exposed, the frame is known, and the
    // place is checked once more with it.
    if (!placedWithFrame_ && windowHandle())
        windowHandle()->installEventFilter(this);
}

bool TTVXMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()
        && !placedWithFrame_) {
        placedWithFrame_ = true;
        windowHandle()->removeEventFilter(this);
        if (!isMaximized() && !isFullScreen())
            placeOnScreen(x(), y(), width(), height());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TTVXMainForm::readSettings(AppSettings& settings)
{
    std::string error;
    if (!ini_.open(paths_.settingsFile, error)) {
        // The file may hold the dealer's DBPATH: it is never written over
        // with defaults (the settings file refuses to save from now on).
        CLogger::instance().log("Cannot read settings file: " + error);
        std::fprintf(stderr, "quorvane: cannot read the settings file, running on the defaults: %s\n",
                     error.c_str());
        TVXStringTable::instance().setLanguage(settings.language);
        user_->messageBox(MsgType::Warning, appText(AppText::SettingsUnreadable) + "\n" + error, MbOK);
    }
    settings.readFrom(ini_);
}

void TTVXMainForm::openDatabase(bool byName)
{
    CLogger& logger = CLogger::instance();
    recordWindows_ = std::make_unique<RecordWindowArea>(mdiArea_, menuBar(), WindowMenuItem_, *user_);
    mowerList_ = std::make_unique<TDBMowerList>(*user_, *recordWindows_);
    mowerList_->SetSortByName(byName);
    if (byName) {
        NameRadioButt_->setChecked(true);
        MachineIdRadioButt_->setChecked(false);
    }

    if (!databaseServer_.empty()) {
        openServerDatabase();
        return;
    }

    std::string error;
    if (!makeFolders(databaseFolder_, error))
        logger.log("Cannot create database folder: " + error);

    recordStore_ = std::make_unique<FolderRecordStore>(databaseFolder_);
    if (recordStore_->open().status == StoreResult::Status::InUse) {
        user_->messageBox(MsgType::Error, DatabaseLock::inUseMessage(databaseFolder_), MbOK);
        showDatabaseUnavailable(DatabaseLock::inUseMessage(databaseFolder_));
        return;
    }
    loadDatabase();
}

void TTVXMainForm::loadDatabase()
{
    databaseOpen_ = true;
    mowerListView_->setList(mowerList_.get());
    try {
        mowerList_->LoadFrom(*recordStore_);
    } catch (const TVXDBFC_error& e) {
        CLogger::instance().log(e.what());
    }
    // What the other PCs of a workshop change shows here as it happens.
    liveFeed_ = new LiveListFeed(*recordStore_, *mowerList_,
                                 [this] { return commandRunning() || QApplication::activeModalWidget() != nullptr; },
                                 this);
    liveFeed_->start();
}

namespace {

// A reason as the server's library words it may hold a line break and a tab
// before its hint ("... failed: No such file or directory\n\tIs the server
// running ..."): one line with single spaces for the dealer.
std::string oneSpaced(const std::string& reason)
{
    return QString::fromStdString(reason).simplified().toStdString();
}

// Why the server's database cannot be used at all, for the message box
// (the reason on a line of its own) and for the status line.
std::string serverRefusal(const std::string& uri, const std::string& reason, const char* separator)
{
    if (PgConnection::hasPassword(uri))
        return appText(AppText::ServerPasswordInUri);
    return appText(AppText::ServerRefused) + separator + oneSpaced(reason);
}

}  // namespace

void TTVXMainForm::openServerDatabase()
{
    CLogger& logger = CLogger::instance();
    // Never the folder instead: what is filed here must reach the workshop's
    // database, and a URI that names no server is refused. The URI itself is
    // never logged: it may hold a password.
    StoreResult opened;
    std::string error;
    std::string logged;  // a parser's reason may quote a part of the URI
    if (!ServerRecordStore::isServerUri(databaseServer_))
        opened = StoreResult::failed(StoreResult::Status::Refused,
                                     std::string("DBSERVER is not a ") + ServerRecordStore::UriPrefix + " URI");
    else if (!PgConnection::parses(databaseServer_, error)) {
        opened = StoreResult::failed(StoreResult::Status::Refused, "DBSERVER: " + error);
        logged = "DBSERVER is no valid URI";
    } else {
        recordStore_ = std::make_unique<ServerRecordStore>(databaseServer_);
        opened = recordStore_->open();
    }
    if (opened) {
        logger.log("Database on the server " + recordStore_->location());
        loadDatabase();
        return;
    }
    if (opened.status == StoreResult::Status::Unreachable) {
        const std::string reason = oneSpaced(opened.reason);
        logger.log("Database server unreachable: " + reason);
        user_->messageBox(MsgType::Warning, appText(AppText::ServerUnreachable) + "\n" + reason, MbOK);
        showDatabaseUnavailable(appText(AppText::ServerUnreachableStatus, {reason}));
        reconnectTimer_ = new QTimer(this);
        reconnectTimer_->setObjectName("serverRetryTimer");
        reconnectTimer_->setInterval(ServerRetryMilliseconds);
        connect(reconnectTimer_, &QTimer::timeout, this, &TTVXMainForm::reconnectToServer);
        reconnectTimer_->start();
        return;
    }
    logger.log("Database server refused: " + (logged.empty() ? opened.reason : logged));
    user_->messageBox(MsgType::Error, serverRefusal(databaseServer_, opened.reason, "\n"), MbOK);
    showDatabaseUnavailable(serverRefusal(databaseServer_, opened.reason, " "));
}

void TTVXMainForm::reconnectToServer()
{
    // One attempt at a time, and none while a command runs: the commands it
    // would enable are the command's to give back when it ends.
    if (reconnectAttempt_ != nullptr || commandRunning() || closed_)
        return;
    auto result = std::make_shared<StoreResult>();
    RecordStore* store = recordStore_.get();
    reconnectAttempt_ = QThread::create([store, result]() { *result = store->open(); });
    connect(reconnectAttempt_, &QThread::finished, this, [this, result]() {
        reconnectAttempt_->wait();
        reconnectAttempt_->deleteLater();
        reconnectAttempt_ = nullptr;
        serverAttemptEnded(*result);
    });
    reconnectAttempt_->start();
}

void TTVXMainForm::serverAttemptEnded(const StoreResult& result)
{
    // A command that began meanwhile keeps the commands as they are: the
    // next tick tries again (the store keeps its connection).
    if (closed_ || databaseOpen_ || commandRunning())
        return;
    CLogger& logger = CLogger::instance();
    switch (result.status) {
    case StoreResult::Status::Ok:
        reconnectTimer_->stop();
        logger.log("Database server reached again");
        loadDatabase();
        showDatabaseAvailable(appText(AppText::ServerReachedAgain));
        return;
    case StoreResult::Status::Unreachable:
        showDatabaseStatus(appText(AppText::ServerUnreachableStatus, {oneSpaced(result.reason)}));
        return;
    default: {
        // Reached, but its database cannot be used yet: a server that has
        // just come up may still be getting its tables (quorvane-tool server
        // init). The program goes on trying, as the dealer was told.
        const std::string text = serverRefusal(databaseServer_, result.reason, " ");
        if (databaseStatus_->text().toStdString() != text)
            logger.log("Database server refused: " + result.reason);
        showDatabaseStatus(text);
        return;
    }
    }
}

TTVXMainForm::~TTVXMainForm()
{
    // The feed watches the store and the list, which go before the children.
    delete liveFeed_;
    liveFeed_ = nullptr;
    // An attempt to reach the server uses the store: it ends first.
    if (reconnectAttempt_ != nullptr) {
        reconnectAttempt_->wait();
        delete reconnectAttempt_;
    }
    // The view outlives the members (Qt deletes child widgets last): it must
    // not keep the list it observes.
    mowerListView_->setList(nullptr);
    // The record windows show histories the list owns: they go first.
    qDeleteAll(mdiArea_->subWindowList());
}

void TTVXMainForm::openTraceLog()
{
    CLogger& logger = CLogger::instance();
    try {
        logger.open(paths_.logFile);
    } catch (const CLoggerError& e) {
        // A first start has no log file yet: nothing to tell the dealer then.
        if (!e.fileMissing()) {
            std::fprintf(stderr, "quorvane: %s\n", e.reason().c_str());
            user_->showMessage(e.what());
        }
    }
}

void TTVXMainForm::buildLayout()
{
    setObjectName("TVXMainForm");

    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");
    FileMenuItem_ = bar->addMenu(QString());
    FileMenuItem_->setObjectName("FileMenuItem");
    ImportMenuItem_ = FileMenuItem_->addAction(QString(), this, &TTVXMainForm::ImportMenuItemClick);
    ImportMenuItem_->setObjectName("ImportMenuItem");
    ImportBinMenuItem_ = FileMenuItem_->addAction(QString(), this, &TTVXMainForm::ImportBinMenuItemClick);
    ImportBinMenuItem_->setObjectName("ImportBinMenuItem");
    ExitMenuItem_ = FileMenuItem_->addAction(QString(), this, &TTVXMainForm::ExitMenuItemClick);
    ExitMenuItem_->setObjectName("ExitMenuItem");

    ToolMenuItem_ = bar->addMenu(QString());
    ToolMenuItem_->setObjectName("ToolMenuItem");
    updateMenuItem_ = ToolMenuItem_->addAction(QString(), this, &TTVXMainForm::updateMenuItemClick);
    updateMenuItem_->setObjectName("updateMenuItem");
    loadHistMenuItem_ = ToolMenuItem_->addAction(QString(), this, &TTVXMainForm::loadHistMenuItemClick);
    loadHistMenuItem_->setObjectName("loadHistMenuItem");
    configMenuItem_ = ToolMenuItem_->addAction(QString(), this, &TTVXMainForm::configMenuItemClick);
    configMenuItem_->setObjectName("configMenuItem");

    WindowMenuItem_ = bar->addMenu(QString());
    WindowMenuItem_->setObjectName("WindowMenuItem");
    cascMenuItem_ = WindowMenuItem_->addAction(QString(), this, &TTVXMainForm::cascMenuItemClick);
    cascMenuItem_->setObjectName("cascMenuItem");

    loadHistMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    updateMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    ImportMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ImportBinMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    // The platform's keys, and where it names none (or others) the usual ones too.
    const auto standardKeysAnd = [](QKeySequence::StandardKey key, QKeySequence usual) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(key);
        if (!keys.contains(usual))
            keys.append(usual);
        return keys;
    };
    ExitMenuItem_->setShortcuts(standardKeysAnd(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    configMenuItem_->setShortcuts(standardKeysAnd(QKeySequence::Preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)));
    // The record windows in turn, as in every multi-document window; the
    // shifted Tab reaches the toolkit as Backtab (a key bound twice to one
    // action would be ambiguous, and do nothing).
    nextWindow_ = new QAction(this);
    nextWindow_->setObjectName("nextWindowAction");
    nextWindow_->setShortcuts(standardKeysAnd(QKeySequence::NextChild, QKeySequence(Qt::CTRL | Qt::Key_Tab)));
    connect(nextWindow_, &QAction::triggered, this, [this]() { recordWindows_->cycleWindows(true); });
    addAction(nextWindow_);
    previousWindow_ = new QAction(this);
    previousWindow_->setObjectName("previousWindowAction");
    previousWindow_->setShortcuts(
        standardKeysAnd(QKeySequence::PreviousChild, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)));
    connect(previousWindow_, &QAction::triggered, this, [this]() { recordWindows_->cycleWindows(false); });
    addAction(previousWindow_);

    ToolBar1_ = addToolBar(QString());
    ToolBar1_->setObjectName("ToolBar1");
    ToolBar1_->setMovable(false);
    ToolBar1_->setFixedHeight(41);
    ToolBar1_->setIconSize(QSize(24, 24));
    ToolBar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    upgradeToolButt_ = ToolBar1_->addAction(upgradeIcon(), QString(), this, &TTVXMainForm::updateMenuItemClick);
    upgradeToolButt_->setObjectName("upgradeToolButt");
    uploadToolButt_ = ToolBar1_->addAction(loadHistoryIcon(), QString(), this, &TTVXMainForm::loadHistMenuItemClick);
    uploadToolButt_->setObjectName("uploadToolButt");

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    Panel1_ = new QFrame(central);
    Panel1_->setObjectName("Panel1");
    Panel1_->setFrameShape(QFrame::Box);
    Panel1_->setFixedWidth(225);
    auto* column = new QVBoxLayout(Panel1_);
    column->setContentsMargins(1, 1, 1, 1);
    // The search row narrows the tiles at every keystroke; its count follows
    // every placing of the tiles (a filter, a new record, a sort).
    auto* search = new MowerSearchBar(Panel1_);
    column->addWidget(search);
    mowerListView_ = new MowerListView(Panel1_);
    column->addWidget(mowerListView_, 1);
    connect(search, &MowerSearchBar::filterChanged, this, [this](const QString& text, bool alarmsOnly) {
        if (mowerList_)
            mowerList_->SetFilter(text.toStdString(), alarmsOnly);
    });
    connect(mowerListView_, &MowerListView::arranged, search, [this, search]() {
        if (mowerList_)
            search->setCount(mowerList_->VisibleCount(), mowerList_->Entries().size());
    });

    // The group takes the height its title and buttons need in the current
    // style and font.
    dbMLGroupBox_ = new QGroupBox(Panel1_);
    dbMLGroupBox_->setObjectName("dbMLGroupBox");
    dbMLGroupBox_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* radios = new QBoxLayout(QBoxLayout::LeftToRight, dbMLGroupBox_);
    MachineIdRadioButt_ = new QRadioButton(dbMLGroupBox_);
    MachineIdRadioButt_->setObjectName("MachineIdRadioButt");
    MachineIdRadioButt_->setChecked(true);
    NameRadioButt_ = new QRadioButton(dbMLGroupBox_);
    NameRadioButt_->setObjectName("NameRadioButt");
    radios->addWidget(MachineIdRadioButt_);
    radios->addWidget(NameRadioButt_);
    connect(MachineIdRadioButt_, &QRadioButton::clicked, this, &TTVXMainForm::MachineIdRadioButtClick);
    connect(NameRadioButt_, &QRadioButton::clicked, this, &TTVXMainForm::NameRadioButtClick);
    column->addWidget(dbMLGroupBox_);
    row->addWidget(Panel1_);

    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName("ClientArea");
    row->addWidget(mdiArea_, 1);
    setCentralWidget(central);
}

void TTVXMainForm::buildKeys()
{
    commandKeys_ = new CommandKeys(this);
    for (QAction* action : {loadHistMenuItem_, updateMenuItem_, ImportMenuItem_, ImportBinMenuItem_, ExitMenuItem_,
                            configMenuItem_, nextWindow_, previousWindow_, findChild<QAction*>("findAction")})
        commandKeys_->add(action);
    inputGate_ = new CommandInputGate(ExitMenuItem_, this);
}

bool TTVXMainForm::focusNextPrevChild(bool next)
{
    // Tab from the controls on the left goes on to the front record window
    // only: the keyboard never brings another one to the front.
    QWidget* to = recordWindows_ ? recordWindows_->nextTabStop(QApplication::focusWidget(), next) : nullptr;
    if (to == nullptr)
        return QMainWindow::focusNextPrevChild(next);
    to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void TTVXMainForm::setCaptions()
{
    setWindowTitle(QString(" Quorvane  %1.%2").arg(QUORVANE_VERSION_MAJOR).arg(QUORVANE_VERSION_MINOR));
    Mnemonics bar;
    FileMenuItem_->setTitle(bar.add(uiText(Msg::FileMenu)));
    ToolMenuItem_->setTitle(bar.add(uiText(Msg::ToolsMenu)));
    WindowMenuItem_->setTitle(bar.add(uiText(Msg::WindowMenu)));
    Mnemonics file;
    ImportMenuItem_->setText(file.add(uiText(Msg::ImportRecordMenuItem)));
    ImportBinMenuItem_->setText(file.add(uiText(Msg::ImportHistoryMenuItem)));
    ExitMenuItem_->setText(file.add(uiText(Msg::ExitMenuItem)));
    Mnemonics tools;
    updateMenuItem_->setText(tools.add(uiText(Msg::UpgradeMenuItem)));
    loadHistMenuItem_->setText(tools.add(uiText(Msg::LoadHistoryMenuItem)));
    configMenuItem_->setText(tools.add(uiText(Msg::OptionsMenuItem)));
    Mnemonics window;
    cascMenuItem_->setText(window.add(uiText(Msg::CascadeMenuItem)));
    upgradeToolButt_->setText(uiText(Msg::UpgradeButton));
    upgradeToolButt_->setToolTip(uiText(Msg::UpgradeMenuItem));
    uploadToolButt_->setText(uiText(Msg::LoadHistoryButton));
    uploadToolButt_->setToolTip(uiText(Msg::LoadHistoryMenuItem));
    dbMLGroupBox_->setTitle(uiText(Msg::SortGroup));
    Mnemonics sort;
    MachineIdRadioButt_->setText(sort.add(uiText(Msg::SortByMachineId)));
    NameRadioButt_->setText(sort.add(uiText(Msg::SortByName)));
    mowerListView_->setCaptions();
    if (auto* search = findChild<MowerSearchBar*>("mowerSearchBar"))
        search->setCaptions();
    fitSortGroup();
}

void TTVXMainForm::fitSortGroup()
{
    auto* radios = static_cast<QBoxLayout*>(dbMLGroupBox_->layout());
    const QMargins margins = radios->contentsMargins();
    const int available = Panel1_->contentsRect().width() - 2 - margins.left() - margins.right();
    const int sideBySide = MachineIdRadioButt_->sizeHint().width() + radios->spacing()
                           + NameRadioButt_->sizeHint().width();
    radios->setDirection(sideBySide <= available ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

void TTVXMainForm::createDialogs()
{
    if (statusForm_ == nullptr) {
        // While a command waits on the mower, the window takes the dealer's
        // input through the gate: a close is noted, nothing else starts.
        linkClock_ = std::make_unique<ResponsiveClock>(SystemClock::instance(),
                                                       [this]() { return inputGate_->busy(); });
        statusForm_ = new TStatusForm(this);
        statusForm_->hide();
        // [COM] WIRELOG names a file: the link's bytes are recorded there for support.
        AppSettings settings;
        settings.readFrom(ini_);
        if (!settings.wireLog.empty())
            wireLog_ = std::make_unique<WireLog>(ComPort, *linkClock_, settings.wireLog, WireLog::DefaultLimit,
                                                 [](const std::string& error) { CLogger::instance().log(error); });
        SerialPort& port = wireLog_ && wireLog_->logging() ? static_cast<SerialPort&>(*wireLog_) : ComPort;
        link_ = std::make_unique<MowerLink>(port, *linkClock_, *user_, *statusForm_, autoScan,
                                            portLister_ ? portLister_ : MowerLink::systemPorts());
    }
    if (recordDialogs_ == nullptr && mowerList_)
        recordDialogs_ = std::make_unique<QtRecordDialogs>(*mowerList_, *user_, this);
    if (optionForm_ == nullptr) {
        OptionTargets targets;
        targets.listFreePorts = [this]() { return link_->listFreePorts(); };
        targets.currentPort = [this]() { return ComPort.GetPort(); };
        targets.setPort = [this](const std::string& name) { setPort(name); };
        targets.autoScan = &autoScan;
        targets.language = &language;
        targets.databaseFolder = databaseFolder_;
        targets.databaseServer = databaseServer_;
        targets.chosenDatabaseServer = &chosenDatabaseServer_;
        optionForm_ = new TTVXOptionForm(std::move(targets), this);
        optionForm_->hide();
    }
}

void TTVXMainForm::enableDatabaseCommands(bool enabled)
{
    // Upgrading needs no database; everything that files or reads records does.
    for (QAction* action : {ImportMenuItem_, ImportBinMenuItem_, loadHistMenuItem_, uploadToolButt_})
        action->setEnabled(enabled);
    for (QWidget* control : std::initializer_list<QWidget*> {MachineIdRadioButt_, NameRadioButt_, mowerListView_})
        control->setEnabled(enabled);
}

void TTVXMainForm::showDatabaseStatus(const std::string& text)
{
    if (databaseStatus_ == nullptr) {
        databaseStatus_ = new StatusLineLabel(statusBar());
        databaseStatus_->setObjectName("databaseStatusLabel");
        databaseStatus_->setTextFormat(Qt::PlainText);
        databaseStatus_->setWordWrap(true);
        statusBar()->addWidget(databaseStatus_, 1);
        // The bar's height follows its line (a fixed height would be the
        // one the label asks for at its narrowest).
        statusBar()->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        statusBar()->setObjectName("StatusBar");
    }
    databaseStatus_->setText(QString::fromStdString(text));
}

void TTVXMainForm::showDatabaseUnavailable(const std::string& reason)
{
    enableDatabaseCommands(false);
    showDatabaseStatus(reason);
}

void TTVXMainForm::showDatabaseAvailable(const std::string& note)
{
    enableDatabaseCommands(true);
    showDatabaseStatus(note);
}

void TTVXMainForm::setPort(const std::string& name)
{
    ComPort.SetPort(name);
}

bool TTVXMainForm::sortByName() const
{
    return mowerList_->GetSortByName();
}

void TTVXMainForm::closeEvent(QCloseEvent* event)
{
    // While a link command waits, the window still answers the desktop, so a
    // click on the close box arrives in the middle of it: an upgrade is never
    // cut short, the window closes when the command ends.
    if (runningCommands_ > 0) {
        closeAfterCommand();
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TTVXMainForm::closeFromSignal()
{
    if (closed_)
        return;  // the shut-down runs already, and no longer waits for anyone
    CLogger::instance().log("Closing on a signal");
    if (runningCommands_ > 0) {
        closeAfterCommand();
        return;
    }
    QTimer::singleShot(0, this, &QWidget::close);
}

void TTVXMainForm::reportShutdownFailure(const std::string& message)
{
    saveFailed_ = true;
    std::fprintf(stderr, "quorvane: %s\n", message.c_str());
    if (CLogger::exists())
        CLogger::instance().log(message);
    if (!QtUserInteraction::unattended())
        user_->messageBox(MsgType::Error, message, MbOK);
}

void TTVXMainForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    if (reconnectTimer_ != nullptr)
        reconnectTimer_->stop();

    AppSettings settings;
    settings.height = height();
    settings.width = width();
    settings.top = y();
    settings.left = x();
    settings.port = ComPort.GetPort();
    settings.autoScan = autoScan;
    settings.language = language;
    settings.sortByName = sortByName();
    // A database chosen in the options is the one of the next start.
    if (chosenDatabaseServer_) {
        settings.dbServer = *chosenDatabaseServer_;
        settings.dbServerChosen = true;
    }
    settings.writeTo(ini_);

    if (TDBMowerList* list = mowerList(); list && !list->SaveAll()) {
        // Each failed record was reported on its own; the exit status says it too.
        saveFailed_ = true;
    }
    ComPort.Close();

    // The settings file is written before the trace log so that a failure to
    // write it still reaches the log.
    if (!ini_.readable())
        CLogger::instance().log("Settings not saved: the settings file could not be read at start");
    else if (const WriteResult written = ini_.save(); !written)
        reportShutdownFailure(written.error);

    try {
        CLogger::releaseInstance();
    } catch (const CLoggerError& e) {
        reportShutdownFailure(std::string(e.what()) + ": " + e.reason());
    }

    TVXStringTable::releaseInstance();
}
