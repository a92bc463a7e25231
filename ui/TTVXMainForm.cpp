#include "ui/TTVXMainForm.h"

#include "core/CLogger.h"
#include "core/TStatusForm.h"
#include "core/TVXStringTable.h"
#include "ui/QtUserInteraction.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>
#include <sys/stat.h>

namespace {

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

QString text(int message)
{
    return QString::fromStdString(TVXStringTable::instance().getMessageText(static_cast<std::uint16_t>(message)));
}

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
    openTraceLog();
    CLogger& logger = CLogger::instance();
    logger.log("Starting program");

    std::string error;
    if (!ini_.open(paths_.settingsFile, error))
        logger.log("Cannot read settings file: " + error);
    AppSettings settings;
    settings.readFrom(ini_);

    resize(settings.width, settings.height);
    move(settings.left, settings.top);

    language = settings.language;
    TVXStringTable::instance().setLanguage(language);

    databaseFolder_ = paths_.databaseFolder(settings.dbPath);
    setPort(settings.port);
    autoScan = settings.autoScan;

    sortByName_ = settings.sortByName;
    if (sortByName_) {
        NameRadioButt_->setChecked(true);
        MachineIdRadioButt_->setChecked(false);
    }

    if (settings.dbPath.empty() && !makeFolders(databaseFolder_, error))
        logger.log("Cannot create database folder: " + error);

    setCaptions();
}

TTVXMainForm::~TTVXMainForm() = default;

void TTVXMainForm::openTraceLog()
{
    CLogger& logger = CLogger::instance();
    try {
        logger.open(paths_.logFile);
    } catch (const CLoggerError& e) {
        // A first start has no log file yet: nothing to tell the dealer then.
        if (fileExists(paths_.logFile))
            user_->showMessage(e.what());
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

    ToolBar1_ = addToolBar(QString());
    ToolBar1_->setObjectName("ToolBar1");
    ToolBar1_->setMovable(false);
    ToolBar1_->setFixedHeight(41);
    ToolBar1_->setIconSize(QSize(24, 24));
    ToolBar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    upgradeToolButt_ = ToolBar1_->addAction(style()->standardIcon(QStyle::SP_ArrowUp), QString(), this,
                                            &TTVXMainForm::updateMenuItemClick);
    upgradeToolButt_->setObjectName("upgradeToolButt");
    uploadToolButt_ = ToolBar1_->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this,
                                           &TTVXMainForm::loadHistMenuItemClick);
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
    mowerListArea_ = new QScrollArea(Panel1_);
    mowerListArea_->setObjectName("mowerListArea");
    mowerListArea_->setStyleSheet("background: white;");
    column->addWidget(mowerListArea_, 1);

    dbMLGroupBox_ = new QGroupBox(Panel1_);
    dbMLGroupBox_->setObjectName("dbMLGroupBox");
    dbMLGroupBox_->setFixedHeight(46);
    auto* radios = new QHBoxLayout(dbMLGroupBox_);
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

void TTVXMainForm::setCaptions()
{
    setWindowTitle(QString(" Quorvane  %1.%2").arg(3).arg(6));
    FileMenuItem_->setTitle(text(0));
    ImportMenuItem_->setText(text(1));
    ImportBinMenuItem_->setText(text(2));
    ExitMenuItem_->setText(text(3));
    ToolMenuItem_->setTitle(text(5));
    updateMenuItem_->setText(text(6));
    loadHistMenuItem_->setText(text(7));
    configMenuItem_->setText(text(8));
    WindowMenuItem_->setTitle(text(9));
    cascMenuItem_->setText(text(10));
    upgradeToolButt_->setText(text(11));
    upgradeToolButt_->setToolTip(text(6));
    uploadToolButt_->setText(text(12));
    uploadToolButt_->setToolTip(text(7));
    dbMLGroupBox_->setTitle(text(31));
    MachineIdRadioButt_->setText(text(33));
    NameRadioButt_->setText(text(32));
}

void TTVXMainForm::createDialogs()
{
    if (statusForm_ == nullptr) {
        statusForm_ = new TStatusForm(this);
        statusForm_->hide();
    }
}

void TTVXMainForm::setPort(const std::string& name)
{
    currentPort_ = name;
}

void TTVXMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TTVXMainForm::reportShutdownFailure(const std::string& message)
{
    std::fprintf(stderr, "quorvane: %s\n", message.c_str());
    user_->messageBox(MsgType::Error, message, MbOK);
}

void TTVXMainForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;

    AppSettings settings;
    settings.height = height();
    settings.width = width();
    settings.top = y();
    settings.left = x();
    settings.port = currentPort_;
    settings.autoScan = autoScan;
    settings.language = language;
    settings.sortByName = sortByName_;
    settings.writeTo(ini_);

    try {
        CLogger::releaseInstance();
    } catch (const CLoggerError& e) {
        reportShutdownFailure(std::string(e.what()) + ": " + paths_.logFile);
    }

    if (const WriteResult written = ini_.save(); !written)
        reportShutdownFailure(written.error);

    TVXStringTable::releaseInstance();
}

void TTVXMainForm::updateMenuItemClick() {}

void TTVXMainForm::loadHistMenuItemClick() {}

void TTVXMainForm::ImportMenuItemClick() {}

void TTVXMainForm::ImportBinMenuItemClick() {}

void TTVXMainForm::configMenuItemClick() {}

void TTVXMainForm::ExitMenuItemClick()
{
    close();
}

void TTVXMainForm::cascMenuItemClick()
{
    mdiArea_->cascadeSubWindows();
}

void TTVXMainForm::NameRadioButtClick()
{
    sortByName_ = true;
}

void TTVXMainForm::MachineIdRadioButtClick()
{
    sortByName_ = false;
}
