#include "ui/TTVXOptionForm.h"

#include "ui/Mnemonics.h"
#include "ui/UiTexts.h"

#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "link/PortChoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The language names as the list has always shown them; the index is the language.
const char* const LanguageNames[TVXStringTable::LanguageCount] = {
    "English", "Français", "Italiano", "Dutch", "German",
};

// Under the language list, in the language selected there: the dealer who
// chose it reads it.
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
    column->addLayout(buttons);

    setTabOrder(autoScanCheckBox_, portListComboBox_);
    setTabOrder(portListComboBox_, refreshPortsButt_);
    setTabOrder(refreshPortsButt_, LanguageComboBox_);
    setTabOrder(LanguageComboBox_, OKButt_);
    setTabOrder(OKButt_, exitButt_);

    connect(autoScanCheckBox_, &QCheckBox::toggled, this, &TTVXOptionForm::autoScanCheckBoxToggled);
    connect(refreshPortsButt_, &QPushButton::clicked, this, &TTVXOptionForm::refreshPortsButtClick);
    connect(LanguageComboBox_, &QComboBox::currentIndexChanged, this, &TTVXOptionForm::LanguageComboBoxChange);
    connect(OKButt_, &QPushButton::clicked, this, &TTVXOptionForm::OKButtClick);
    connect(exitButt_, &QPushButton::clicked, this, &QDialog::reject);
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

void TTVXOptionForm::OKButtClick()
{
    *targets_.autoScan = autoScanCheckBox_->isChecked();
    const int selected = portListComboBox_->currentIndex();
    if (selected >= 0)
        storePort(ports_[selected]);
    *targets_.language = static_cast<std::uint8_t>(LanguageComboBox_->currentIndex());
    accept();
}
