// The machine number row as the dealer types into it: the fields show a
// blank in every place not typed yet, and pass their text as shown.
#include "Component/RecordValidation.h"
#include "Component/RecordWindows.h"
#include "Component/TDBMowerList.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "support/ScriptedUser.h"
#include "ui/MachineIdFields.h"

#include <QLineEdit>
#include <QtTest>

namespace {

class NoWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower&) override { return nullptr; }
};

}  // namespace

class TestMachineIdFields : public QObject {
    Q_OBJECT

private slots:
    void aNumberTypedShortIsTheNumberTyped()
    {
        TVXStringTable::instance().setLanguage(0);
        ScriptedUser user;
        NoWindows windows;
        const TDBMowerList list(user, windows);
        MachineIdFields fields;
        fields.setTypeCode(4);
        fields.setOwner("Jean", "Lefèvre", "3 rue des Lilas");
        fields.show();
        QTest::keyClicks(fields.findChild<QLineEdit*>("yearIdMaskEdit"), "7");
        QTest::keyClicks(fields.findChild<QLineEdit*>("machineIdMaskEdit"), "12");

        const RecordInput typed = fields.input();
        QCOMPARE(typed.numberText, std::string("12_"));  // the field's blank is part of what it shows
        QVERIFY(validateCreate(typed, list).passed());
        QCOMPARE(ownerDataOf(typed).idYear, std::uint8_t(7));
        QCOMPARE(ownerDataOf(typed).idNumber, 12u);

        // A field left empty is still refused, and the keyboard is taken back to it.
        fields.findChild<QLineEdit*>("machineIdMaskEdit")->clear();
        const RecordVerdict verdict = validateCreate(fields.input(), list);
        QCOMPARE(verdict.messages, std::vector<std::string> {catalogueText(Msg::CreateNeedsMachineNumber)});
        QCOMPARE(verdict.field, RecordField::Number);
    }
};

QTEST_MAIN(TestMachineIdFields)
#include "test_machineidfields.moc"
