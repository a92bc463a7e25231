#include "ui/MachineIdFields.h"

#include "ui/Mnemonics.h"

#include "Component/MowerTypes.h"
#include "core/MessageNumbers.h"
#include "ui/UiTexts.h"
#include "core/UserInteraction.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int YearDigits = 2;
constexpr int NumberDigits = 3;
constexpr int AddressLinesShown = 5;

// "99;_" for two digits: digits only, '_' where none was typed.
QString digitMask(int digits)
{
    return QString(digits, QLatin1Char('9')) + QStringLiteral(";_");
}

int digitCount(std::uint32_t value)
{
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

MachineIdFields::MachineIdFields(QWidget* parent) : QWidget(parent)
{
    setObjectName("machineIdFields");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    name_ = addNameEdit("oNameEdit");
    nameGroup_ = addGroup("oNameGroupBox", name_);
    surname_ = addNameEdit("oSurNameEdit");
    surnameGroup_ = addGroup("oSurNameGroupBox", surname_);

    address_ = new QPlainTextEdit(this);
    address_->setObjectName("oAddressMemo");
    address_->setTabChangesFocus(true);
    address_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QMargins margins = address_->contentsMargins();
    address_->setMinimumHeight(address_->fontMetrics().lineSpacing() * AddressLinesShown
                               + 2 * static_cast<int>(address_->document()->documentMargin()) + margins.top()
                               + margins.bottom());
    address_->installEventFilter(this);
    addressGroup_ = addGroup("oAddressGroupBox", address_);

    machineGroup_ = addGroup("machineIdGroupBox", buildMachineRow());
    column->addWidget(nameGroup_);
    column->addWidget(surnameGroup_);
    column->addWidget(addressGroup_, 1);
    column->addWidget(machineGroup_);

    setTabOrder(name_, surname_);
    setTabOrder(surname_, address_);
    setTabOrder(address_, type_);
    setTabOrder(type_, year_);
    setTabOrder(year_, number_);
}

QLineEdit* MachineIdFields::addNameEdit(const char* name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMaxLength(static_cast<int>(MaxOwnerNameCharacters));
    // Room for a name as long as the field takes, with its capitals and spaces.
    const QString longest(static_cast<qsizetype>(MaxOwnerNameCharacters), QLatin1Char('n'));
    const QFontMetrics metrics = edit->fontMetrics();
    edit->setMinimumWidth(metrics.horizontalAdvance(longest) + 2 * metrics.averageCharWidth());
    return edit;
}

QGroupBox* MachineIdFields::addGroup(const char* name, QWidget* field)
{
    auto* group = new QGroupBox(this);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(group);
    field->setParent(group);
    layout->addWidget(field);
    return group;
}

QWidget* MachineIdFields::buildMachineRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    type_ = new QComboBox(row);
    type_->setObjectName("mowerTypeComboBox");
    for (const std::uint8_t code : mowerTypeItemCodes()) {
        const std::string_view prefix = findMowerType(code)->prefix;
        type_->addItem(QString::fromUtf8(prefix.data(), static_cast<qsizetype>(prefix.size())));
    }
    // Without a selected item the box still reads as its first one.
    type_->setPlaceholderText(type_->itemText(0));
    type_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(type_, &QComboBox::activated, this, [this](int index) {
        if (const auto code = mowerTypeItemCode(static_cast<std::size_t>(index)))
            typeCode_ = *code;
    });

    year_ = new QLineEdit(row);
    year_->setObjectName("yearIdMaskEdit");
    fitIdField(year_, YearDigits);
    auto* dashes = new QLabel(QStringLiteral("---"), row);
    dashes->setObjectName("Label1");
    number_ = new QLineEdit(row);
    number_->setObjectName("machineIdMaskEdit");
    fitIdField(number_, NumberDigits);
    auto* dash = new QLabel(QStringLiteral("--"), row);
    dash->setObjectName("Label2");
    factory_ = new QLineEdit(QStringLiteral("B"), row);
    factory_->setObjectName("factoryIdMaskEdit");
    factory_->setReadOnly(true);
    factory_->setFocusPolicy(Qt::NoFocus);
    fitIdField(factory_, 1);

    for (QWidget* w : std::initializer_list<QWidget*> {type_, year_, dashes, number_, dash, factory_})
        layout->addWidget(w);
    layout->addStretch(1);
    return row;
}

void MachineIdFields::fitIdField(QLineEdit* edit, int digits)
{
    if (edit != factory_)
        edit->setInputMask(digitMask(digits));
    edit->setAlignment(Qt::AlignCenter);
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QFontMetrics metrics = edit->fontMetrics();
    // The digits, the cursor and a little air on either side.
    const int digitsWidth = metrics.horizontalAdvance(QString(digits + 1, QLatin1Char('0')));
    const QSize content(digitsWidth + 4, metrics.height());
    const int width = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, content, edit).width();
    edit->setFixedWidth(std::max(width, edit->minimumSizeHint().width()));
}

void MachineIdFields::setTitles(std::uint16_t name, std::uint16_t surname, std::uint16_t address,
                                std::uint16_t machine)
{
    nameGroup_->setTitle(uiText(name));
    surnameGroup_->setTitle(uiText(surname));
    addressGroup_->setTitle(uiText(address));
    machineGroup_->setTitle(uiText(machine));
}

void MachineIdFields::setOwner(const std::string& name, const std::string& surname,
                               const std::string& addressText)
{
    for (const auto& [edit, value] : {std::pair {name_, &name}, std::pair {surname_, &surname}}) {
        const QString shown = QString::fromStdString(*value);
        const int length = static_cast<int>(shown.size());
        edit->setMaxLength(std::max(static_cast<int>(MaxOwnerNameCharacters), length));
        edit->setText(shown);
        edit->setCursorPosition(0);
    }
    address_->setPlainText(QString::fromStdString(addressText));
}

void MachineIdFields::setTypeCode(std::uint8_t code)
{
    typeCode_ = code;
    const std::optional<std::size_t> item = mowerTypeItemIndex(code);
    type_->setCurrentIndex(item ? static_cast<int>(*item) : -1);
}

void MachineIdFields::setMachineNumber(std::uint8_t year, std::uint32_t number)
{
    const int yearDigits = std::max(YearDigits, digitCount(year));
    const int numberDigits = std::max(NumberDigits, digitCount(number));
    fitIdField(year_, yearDigits);
    fitIdField(number_, numberDigits);
    year_->setText(QStringLiteral("%1").arg(year, yearDigits, 10, QLatin1Char('0')));
    number_->setText(QStringLiteral("%1").arg(number, numberDigits, 10, QLatin1Char('0')));
}

RecordInput MachineIdFields::input() const
{
    RecordInput typed;
    typed.name = name_->text().toStdString();
    typed.surname = surname_->text().toStdString();
    typed.addressText = address_->toPlainText().toStdString();
    typed.typeCode = typeCode_;
    typed.yearText = year_->displayText().toStdString();
    typed.numberText = number_->displayText().toStdString();
    return typed;
}

void MachineIdFields::showRefusal(const RecordVerdict& verdict, UserInteraction& user)
{
    for (const std::string& message : verdict.messages)
        user.messageBox(MsgType::Error, message, MbOK);
    focusField(verdict.field);
}

void MachineIdFields::focusField(RecordField field)
{
    QWidget* target = nullptr;
    switch (field) {
    case RecordField::None: return;
    case RecordField::Name: target = name_; break;
    case RecordField::Surname: target = surname_; break;
    case RecordField::Address: target = address_; break;
    case RecordField::Year: target = year_; break;
    case RecordField::Number: target = number_; break;
    }
    target->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        edit->selectAll();
}

QPushButton* MachineIdFields::layOutDialog(QDialog& dialog, const char* mainName,
                                          const std::string& mainCaption)
{
    auto* mainButton = new QPushButton(&dialog);
    mainButton->setObjectName(mainName);
    auto* cancelButton = new QPushButton(&dialog);
    cancelButton->setObjectName("cancelButt");
    // The catalogue's "Abort" is its cancel word in every language.
    setButtonTexts({{mainButton, mainCaption},
                    {cancelButton, catalogueText(Msg::AbortButton)}});
    connect(cancelButton, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mainButton);
    buttons->addWidget(cancelButton);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(this, 1);
    column->addLayout(buttons);

    mainButton->setDefault(true);
    connect(this, &MachineIdFields::submitRequested, mainButton, &QPushButton::click);
    setTabOrder(number_, mainButton);
    setTabOrder(mainButton, cancelButton);
    name_->setFocus(Qt::OtherFocusReason);
    // The memo asks for more room than an address takes: the dialog opens at
    // its least size and the memo grows with it.
    dialog.resize(dialog.minimumSizeHint());
    return mainButton;
}

bool MachineIdFields::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == address_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & Qt::ControlModifier)) {
            emit submitRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void setButtonTexts(std::initializer_list<std::pair<QAbstractButton*, std::string>> buttons)
{
    Mnemonics letters;
    for (const auto& [button, caption] : buttons)
        button->setText(letters.add(QString::fromStdString(caption)));
}
