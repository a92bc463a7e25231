#include "ui/TTVXOptionForm.h"

#include "ui/Mnemonics.h"
#include "ui/UiTexts.h"

#include "Component/PgConnection.h"
#include "Component/ServerRecordStore.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "link/PortChoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

// The language names as the list has always shown them; the index is the language.
const char* const LanguageNames[TVXStringTable::LanguageCount] = {
    "English", "Français", "Italiano", "Dutch", "German",
};

// Under the language list, in the language selected there: the dealer who
// chose it reads it.

// A reason as the server's library words it may hold a line break and a tab
// before its hint: one line with single spaces under the URI.
std::string oneSpaced(const std::string& reason)
{
    return QString::fromStdString(reason).simplified().toStdString();
}

// The URI field's width: a server's name, its database and a user or two
// settings, without making the dialog wider than a small screen.
constexpr int UriFieldCharacters = 36;

}  // namespace

TTVXOptionForm::TTVXOptionForm(OptionTargets targets, QWidget* parent)
    : QDialog(parent)
    , targets_(std::move(targets))
    , languageInForce_(TVXStringTable::instance().getLanguage())
{
    setObjectName("TVXOptionForm");
    setModal(true);
    buildLayout();
    setCaptions();

    const std::string current = targets_.currentPort();
    const int chosen = fillPortList(readFreePorts().value_or(std::vector<std::string>()), current);
    if (chosen >= 0 && ports_[chosen] != current)
        storePort(ports_[chosen]);

    autoScanCheckBox_->setChecked(*targets_.autoScan);
    autoScanCheckBoxToggled(*targets_.autoScan);

    const std::uint8_t language = *targets_.language;
    LanguageComboBox_->setCurrentIndex(language < TVXStringTable::LanguageCount ? language : languageInForce_);
    LanguageComboBoxChange(LanguageComboBox_->currentIndex());

    const std::optional<std::string>* chosenServer = targets_.chosenDatabaseServer;
    const std::string server = chosenServer && *chosenServer ? **chosenServer : targets_.databaseServer;
    folderEdit_->setText(QFile::decodeName(QByteArray::fromStdString(targets_.databaseFolder)));
    folderEdit_->setCursorPosition(0);
    serverEdit_->setText(QString::fromStdString(server));
    serverEdit_->setCursorPosition(0);
    (server.empty() ? folderRadioButt_ : serverRadioButt_)->setChecked(true);
    databaseChoiceChanged();
}

TTVXOptionForm::~TTVXOptionForm()
{
    if (serverTestRun_ != nullptr) {
        serverTestRun_->disconnect(this);
        serverTestRun_->wait();
        delete serverTestRun_;
    }
}

void TTVXOptionForm::buildLayout()
{
    CommGroupBox_ = new QGroupBox(this);
    CommGroupBox_->setObjectName("CommGroupBox");
    autoScanCheckBox_ = new QCheckBox(CommGroupBox_);
    autoScanCheckBox_->setObjectName("autoScanCheckBox");
    portNumLabel_ = new QLabel(CommGroupBox_);
    portNumLabel_->setObjectName("portNumLabel");
    portListComboBox_ = new QComboBox(CommGroupBox_);
    portListComboBox_->setObjectName("portListComboBox");
    portListComboBox_->setEditable(false);
    // Wide enough for /dev/ttyUSB10 while the list is empty, wider for a longer name.
    portListComboBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portListComboBox_->setMinimumContentsLength(13);
    portNumLabel_->setBuddy(portListComboBox_);
    refreshPortsButt_ = new QPushButton(CommGroupBox_);
    refreshPortsButt_->setObjectName("refreshPortsButt");

    auto* comm = new QGridLayout(CommGroupBox_);
    comm->addWidget(autoScanCheckBox_, 0, 0, 1, 3);
    comm->addWidget(portNumLabel_, 1, 0);
    comm->addWidget(portListComboBox_, 1, 1);
    comm->addWidget(refreshPortsButt_, 1, 2);
    comm->setColumnStretch(1, 1);

    LanguageGroupBox_ = new QGroupBox(this);
    LanguageGroupBox_->setObjectName("LanguageGroupBox");
    LanguageComboBox_ = new QComboBox(LanguageGroupBox_);
    LanguageComboBox_->setObjectName("LanguageComboBox");
    for (const char* name : LanguageNames)
        LanguageComboBox_->addItem(QString::fromUtf8(name));
    languageNoteLabel_ = new QLabel(LanguageGroupBox_);
    languageNoteLabel_->setObjectName("languageNoteLabel");
    // The note changes its language without the dialog changing its size:
    // it keeps the room of the longest one.
    int noteWidth = 0;
    for (int language = 0; language < TVXStringTable::LanguageCount; ++language) {
        languageNoteLabel_->setText(QString::fromStdString(appTextIn(AppText::LanguageNote, language)));
        noteWidth = std::max(noteWidth, languageNoteLabel_->sizeHint().width());
    }
    languageNoteLabel_->setMinimumWidth(noteWidth);

    auto* languages = new QVBoxLayout(LanguageGroupBox_);
    auto* choice = new QHBoxLayout;
    choice->addWidget(LanguageComboBox_);
    choice->addStretch(1);
    languages->addLayout(choice);
    languages->addWidget(languageNoteLabel_);

    buildDatabasePart();

    OKButt_ = new QPushButton(this);
    OKButt_->setObjectName("OKButt");
    OKButt_->setDefault(true);
    exitButt_ = new QPushButton(this);
    exitButt_->setObjectName("exitButt");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButt_);
    buttons->addWidget(exitButt_);

    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(CommGroupBox_);
    column->addWidget(LanguageGroupBox_);
    column->addWidget(DatabaseGroupBox_);
    column->addLayout(buttons);

    setTabOrder(autoScanCheckBox_, portListComboBox_);
    setTabOrder(portListComboBox_, refreshPortsButt_);
    setTabOrder(refreshPortsButt_, LanguageComboBox_);
    setTabOrder(LanguageComboBox_, folderRadioButt_);
    setTabOrder(folderRadioButt_, serverRadioButt_);
    setTabOrder(serverRadioButt_, serverEdit_);
    setTabOrder(serverEdit_, testServerButt_);
    setTabOrder(testServerButt_, OKButt_);
    setTabOrder(OKButt_, exitButt_);

    connect(autoScanCheckBox_, &QCheckBox::toggled, this, &TTVXOptionForm::autoScanCheckBoxToggled);
    connect(refreshPortsButt_, &QPushButton::clicked, this, &TTVXOptionForm::refreshPortsButtClick);
    connect(LanguageComboBox_, &QComboBox::currentIndexChanged, this, &TTVXOptionForm::LanguageComboBoxChange);
    connect(OKButt_, &QPushButton::clicked, this, &TTVXOptionForm::OKButtClick);
    connect(exitButt_, &QPushButton::clicked, this, &QDialog::reject);
}

void TTVXOptionForm::buildDatabasePart()
{
    DatabaseGroupBox_ = new QGroupBox(this);
    DatabaseGroupBox_->setObjectName("DatabaseGroupBox");
    folderRadioButt_ = new QRadioButton(DatabaseGroupBox_);
    folderRadioButt_->setObjectName("folderRadioButt");
    serverRadioButt_ = new QRadioButton(DatabaseGroupBox_);
    serverRadioButt_->setObjectName("serverRadioButt");

    // The folder is the one in use, shown so that it can be read and copied,
    // not chosen here.
    folderEdit_ = new QLineEdit(DatabaseGroupBox_);
    folderEdit_->setObjectName("folderEdit");
    folderEdit_->setReadOnly(true);
    folderEdit_->setFocusPolicy(Qt::ClickFocus);
    serverEdit_ = new QLineEdit(DatabaseGroupBox_);
    serverEdit_->setObjectName("serverEdit");
    serverEdit_->setPlaceholderText("postgresql://server/quorvane?user=dealer");
    serverEdit_->setClearButtonEnabled(true);
    // A long path or URI scrolls in its field: the fields never widen the dialog.
    const int fieldWidth = serverEdit_->fontMetrics().averageCharWidth() * UriFieldCharacters;
    for (QLineEdit* field : {folderEdit_, serverEdit_}) {
        field->setMinimumWidth(fieldWidth);
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    testServerButt_ = new QPushButton(DatabaseGroupBox_);
    testServerButt_->setObjectName("testServerButt");

    // What the test found, on as many lines as the reason needs; two are
    // kept free so that a short answer moves nothing.
    serverTestLabel_ = new QLabel(DatabaseGroupBox_);
    serverTestLabel_->setObjectName("serverTestLabel");
    serverTestLabel_->setTextFormat(Qt::PlainText);
    serverTestLabel_->setWordWrap(true);
    serverTestLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    serverTestLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    serverTestLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    serverTestLabel_->setMinimumHeight(2 * serverTestLabel_->fontMetrics().lineSpacing());
    databaseNoteLabel_ = new QLabel(DatabaseGroupBox_);
    databaseNoteLabel_->setObjectName("databaseNoteLabel");

    auto* grid = new QGridLayout(DatabaseGroupBox_);
    grid->addWidget(folderRadioButt_, 0, 0);
    grid->addWidget(folderEdit_, 0, 1, 1, 2);
    grid->addWidget(serverRadioButt_, 1, 0);
    grid->addWidget(serverEdit_, 1, 1);
    grid->addWidget(testServerButt_, 1, 2);
    // Under the server's caption and as wide as the part: a reason reads on
    // few lines.
    const int captionIndent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, serverRadioButt_)
                              + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, serverRadioButt_);
    serverTestLabel_->setContentsMargins(captionIndent, 0, 0, 0);
    grid->addWidget(serverTestLabel_, 2, 0, 1, 3);
    grid->addWidget(databaseNoteLabel_, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(folderRadioButt_, &QRadioButton::toggled, this, &TTVXOptionForm::databaseChoiceChanged);
    connect(serverEdit_, &QLineEdit::textChanged, this, &TTVXOptionForm::databaseChoiceChanged);
    // An answer about another URI than the one shown would mislead.
    connect(serverEdit_, &QLineEdit::textEdited, this, [this] { showServerTestText({}); });
    connect(testServerButt_, &QPushButton::clicked, this, &TTVXOptionForm::testServerButtClick);
}

void TTVXOptionForm::setCaptions()
{
    setWindowTitle(QString::fromStdString(catalogueText(Msg::OptionsTitle)));
    CommGroupBox_->setTitle(QString::fromStdString(catalogueText(Msg::CommunicationGroup)));
    // Each caption takes, in tab order, the first letter that no caption
    // before it took. The Communication group would reach the same control as
    // AutoScan and takes none.
    Mnemonics letters;
    const auto withLetter = [&letters](const QString& caption) { return letters.add(caption); };
    autoScanCheckBox_->setText(withLetter("AutoScan"));
    portNumLabel_->setText(withLetter(QString::fromStdString(catalogueText(Msg::PortNumber))));
    refreshPortsButt_->setText(withLetter(uiText(AppText::RefreshPorts)));
    LanguageGroupBox_->setTitle(withLetter(QString::fromStdString(catalogueText(Msg::LanguageGroup))));
    // The database's choices take letters of their own: its group takes none.
    DatabaseGroupBox_->setTitle(uiText(AppText::DatabasePart));
    folderRadioButt_->setText(withLetter(uiText(AppText::DatabaseFolderChoice)));
    serverRadioButt_->setText(withLetter(uiText(AppText::DatabaseServerChoice)));
    testServerButt_->setText(withLetter(uiText(AppText::DatabaseTest)));
    databaseNoteLabel_->setText(uiText(AppText::DatabaseNextStart));
    OKButt_->setText(withLetter("OK"));
    exitButt_->setText(withLetter(QString::fromStdString(catalogueText(Msg::AbortButton))));
}

std::optional<std::vector<std::string>> TTVXOptionForm::readFreePorts()
{
    try {
        return targets_.listFreePorts();
    } catch (const EComPort& error) {
        CLogger::instance().log(std::string("Cannot list the serial ports: ") + error.what());
        return std::nullopt;
    }
}

int TTVXOptionForm::fillPortList(std::vector<std::string> ports, const std::string& wanted)
{
    const std::string inUse = targets_.currentPort();
    ports_ = portsOffered(std::move(ports), inUse, targets_.portExists && targets_.portExists(inUse));
    portListComboBox_->clear();
    for (const std::string& name : ports_)
        portListComboBox_->addItem(QString::fromStdString(name));
    const int chosen = portChoice(ports_, wanted);
    portListComboBox_->setCurrentIndex(chosen);
    return chosen;
}

void TTVXOptionForm::storePort(const std::string& name)
{
    try {
        targets_.setPort(name);
    } catch (const EComPort& error) {
        CLogger::instance().log("Impossible to set selected port " + name + ": " + error.what());
    }
}

void TTVXOptionForm::refreshPortsButtClick()
{
    const int selected = portListComboBox_->currentIndex();
    const std::string wanted = selected >= 0 ? ports_[selected] : targets_.currentPort();
    if (std::optional<std::vector<std::string>> ports = readFreePorts())
        fillPortList(std::move(*ports), wanted);
}

void TTVXOptionForm::autoScanCheckBoxToggled(bool checked)
{
    portNumLabel_->setEnabled(!checked);
    portListComboBox_->setEnabled(!checked);
    refreshPortsButt_->setEnabled(!checked);
}

void TTVXOptionForm::LanguageComboBoxChange(int index)
{
    if (index < 0)
        return;
    languageNoteLabel_->setText(QString::fromStdString(appTextIn(AppText::LanguageNote, index)));
    // Discreet while the language in force is selected, plain once it matters.
    languageNoteLabel_->setForegroundRole(index == languageInForce_ ? QPalette::PlaceholderText
                                                                    : QPalette::WindowText);
}

std::string TTVXOptionForm::databaseChoice() const
{
    return serverRadioButt_->isChecked() ? serverEdit_->text().trimmed().toStdString() : std::string();
}

void TTVXOptionForm::databaseChoiceChanged()
{
    const bool server = serverRadioButt_->isChecked();
    folderEdit_->setEnabled(!server);
    serverEdit_->setEnabled(server);
    testServerButt_->setEnabled(server && serverTestRun_ == nullptr);
    serverTestLabel_->setEnabled(server);
    // Discreet while the database in use is chosen, plain once it matters.
    databaseNoteLabel_->setForegroundRole(databaseChoice() == targets_.databaseServer ? QPalette::PlaceholderText
                                                                                      : QPalette::WindowText);
    databaseNoteLabel_->update();
}

void TTVXOptionForm::showServerTestText(const std::string& text)
{
    serverTestLabel_->setText(QString::fromStdString(text));
}

std::string TTVXOptionForm::serverUriRefusal(const std::string& uri)
{
    if (!ServerRecordStore::isServerUri(uri))
        return appText(AppText::DatabaseTestFailed) + " " + std::string("the address does not begin with ")
               + ServerRecordStore::UriPrefix;
    std::string error;
    if (!PgConnection::parses(uri, error))
        return appText(AppText::DatabaseTestFailed) + " " + oneSpaced(error);
    if (PgConnection::hasPassword(uri))
        return appText(AppText::ServerPasswordInUri);
    return {};
}

TTVXOptionForm::ServerTest TTVXOptionForm::testServer(const std::string& uri)
{
    ServerTest test;
    ServerRecordStore store(uri);
    test.result = store.open();
    if (test.result)
        test.result = store.describe(test.version, test.records);
    return test;
}

std::string TTVXOptionForm::serverTestText(const ServerTest& test)
{
    if (!test.result)
        return appText(AppText::DatabaseTestFailed) + " " + oneSpaced(test.result.reason);
    // "15.6 (Debian 15.6-0+deb12u1)": the number is what the dealer reports.
    const std::string version = test.version.substr(0, test.version.find(' '));
    return appText(AppText::DatabaseTestReached, {version, std::to_string(test.records)});
}

void TTVXOptionForm::testServerButtClick()
{
    if (serverTestRun_ != nullptr)
        return;
    const std::string uri = serverEdit_->text().trimmed().toStdString();
    // Nothing leaves the PC for a URI that is refused anyway.
    if (const std::string refusal = serverUriRefusal(uri); !refusal.empty()) {
        showServerTestText(refusal);
        return;
    }
    showServerTestText({});
    // The connection may take up to its timeout: the dialog goes on
    // answering meanwhile, and the button waits for the answer.
    auto test = std::make_shared<ServerTest>();
    serverTestRun_ = QThread::create([uri, test] { *test = testServer(uri); });
    serverTestRun_->setObjectName("serverTestRun");
    connect(serverTestRun_, &QThread::finished, this, [this, uri, test] {
        serverTestRun_->wait();
        serverTestRun_->deleteLater();
        serverTestRun_ = nullptr;
        if (serverEdit_->text().trimmed().toStdString() == uri)
            showServerTestText(serverTestText(*test));
        databaseChoiceChanged();
    });
    testServerButt_->setEnabled(false);
    serverTestRun_->start();
}

void TTVXOptionForm::OKButtClick()
{
    // The database is stored only when the dealer chose another one than the
    // one in use (or than an earlier choice): a DBSERVER edited in the
    // settings file meanwhile stays as it is otherwise.
    const std::string database = databaseChoice();
    std::optional<std::string>* chosen = targets_.chosenDatabaseServer;
    const std::string& before = chosen && *chosen ? **chosen : targets_.databaseServer;
    const bool databaseChanged = database != before;
    if (databaseChanged && serverRadioButt_->isChecked()) {
        // A URI that would be refused at the next start is not stored.
        if (const std::string refusal = serverUriRefusal(database); !refusal.empty()) {
            showServerTestText(refusal);
            serverEdit_->setFocus();
            return;
        }
    }
    if (databaseChanged && chosen)
        *chosen = database;

    *targets_.autoScan = autoScanCheckBox_->isChecked();
    const int selected = portListComboBox_->currentIndex();
    if (selected >= 0)
        storePort(ports_[selected]);
    *targets_.language = static_cast<std::uint8_t>(LanguageComboBox_->currentIndex());
    accept();
}
