#pragma once

#include "Component/RecordValidation.h"

#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <string>

class QAbstractButton;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class UserInteraction;

// The fields of the create and owner-data dialogs, one group box each, one
// under the other: first name, last name, address, and the machine number
// row (type box, year, "---", number, "--", the factory letter "B").
//
// The type box selects the item of the code it is given (code 10 the "WK"
// item); for a code outside the list it selects none and shows the first
// item's text. The code stays the one given until the dealer picks an item,
// which sets the item's code.
class MachineIdFields : public QWidget {
    Q_OBJECT
public:
    explicit MachineIdFields(QWidget* parent = nullptr);

    // The group boxes' titles: catalogue messages.
    void setTitles(std::uint16_t name, std::uint16_t surname, std::uint16_t address, std::uint16_t machine);
    // Fills the owner fields (UTF-8; the address as the memo shows it). A name
    // longer than the fields take is shown whole, not cut.
    void setOwner(const std::string& name, const std::string& surname, const std::string& addressText);
    void setTypeCode(std::uint8_t code);
    // Shows the year as two digits and the number as three (more when the
    // value needs them).
    void setMachineNumber(std::uint8_t year, std::uint32_t number);

    std::uint8_t typeCode() const { return typeCode_; }
    // What the dealer typed, the year and number as shown (blanks included).
    RecordInput input() const;

    // Places the fields in the dialog above a row of two buttons: the main one
    // (its object name and caption given) and Cancel ("cancelButt"), which
    // rejects the dialog. The main button is the default (Return, and
    // Ctrl+Return in the memo, press it), the tab order runs down the fields
    // and on to the buttons, the focus starts in the first field. Returns the
    // main button.
    QPushButton* layOutDialog(QDialog& dialog, const char* mainName, const std::string& mainCaption);

    // The error box of each message of a refusal, then the focus in the field to correct.
    void showRefusal(const RecordVerdict& verdict, UserInteraction& user);
    void focusField(RecordField field);

signals:
    // Ctrl+Return in the address memo, where Return starts a new line.
    void submitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* addGroup(const char* name, QWidget* field);
    QLineEdit* addNameEdit(const char* name);
    QWidget* buildMachineRow();
    void fitIdField(QLineEdit* edit, int digits);

    std::uint8_t typeCode_ = 0;
    QGroupBox* nameGroup_ = nullptr;
    QGroupBox* surnameGroup_ = nullptr;
    QGroupBox* addressGroup_ = nullptr;
    QGroupBox* machineGroup_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* surname_ = nullptr;
    QPlainTextEdit* address_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* year_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* factory_ = nullptr;
};

// Sets the texts of a dialog's buttons, each with a mnemonic: the first letter
// that no button before it took (none when every letter is taken).
void setButtonTexts(std::initializer_list<std::pair<QAbstractButton*, std::string>> buttons);
