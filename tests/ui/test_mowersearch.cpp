#include "core/AppPaths.h"
#include "Component/TDBMowerList.h"
#include "ui/MowerListView.h"
#include "ui/TTVXMainForm.h"
#include "support/SampleDatabase.h"
#include "support/ScriptedUser.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

// The search row over the tiles of the main window.
class TestMowerSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    AppPaths paths_;
    ScriptedUser user_;

    void prepare(int language)
    {
        dir_ = std::make_unique<QTemporaryDir>();
        paths_ = AppPaths::inFolder(dir_->path().toStdString());
        std::ofstream(dir_->filePath("quorvane.INI").toStdString())
            << "[GENERAL]\r\nLANGUAGE=" << language << "\r\n";
        // 1200 records: "Bauer" 0..9, "Schmidt" for the others; image 5 (alarms) for the first 3.
        sample::writeFolder(dir_->path().toStdString() + "/database", 1200, [](int i) {
            return sample::RecordSpec {.serial = 0x100u + static_cast<std::uint32_t>(i),
                                       .name = i < 10 ? "Bauer" + std::to_string(i) : "Schmidt" + std::to_string(i),
                                       .idNumber = static_cast<std::uint32_t>(i),
                                       .imageFill = static_cast<std::uint8_t>(i < 3 ? 5 : 0)};
        });
        user_ = ScriptedUser();
    }

private slots:
    void typingNarrowsTheTilesAndTheCountFollows()
    {
        prepare(0);
        TTVXMainForm form(paths_, &user_);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* edit = form.findChild<QLineEdit*>("searchEdit");
        auto* alarms = form.findChild<QCheckBox*>("alarmsOnlyCheckBox");
        auto* count = form.findChild<QLabel*>("searchCountLabel");
        auto* view = form.findChild<MowerListView*>("mowerList");
        QVERIFY(edit && alarms && count && view);
        QCOMPARE(edit->placeholderText(), QString("Find a mower"));
        QCOMPARE(count->text(), QString("1,200 of 1,200"));

        QTest::keyClicks(edit, "bau");
        QCOMPARE(form.mowerList()->VisibleCount(), 10u);
        QCOMPARE(count->text(), QString("10 of 1,200"));
        QTest::keyClicks(edit, "ER7");
        QCOMPARE(form.mowerList()->VisibleCount(), 1u);
        // The view shows and hits the one remaining tile in the first place.
        TDBMower* first = view->mowerAt(QPoint(10, 10));
        QVERIFY(first);
        QCOMPARE(first->GetNameText().substr(0, 6), std::string("Bauer7"));
        QCOMPARE(view->mowerAt(QPoint(TDBMowerList::ColumnStep + 10, 10)), nullptr);

        edit->clear();
        alarms->setChecked(true);
        QCOMPARE(form.mowerList()->VisibleCount(), 3u);
        QCOMPARE(count->text(), QString("3 of 1,200"));
        alarms->setChecked(false);
        QCOMPARE(form.mowerList()->VisibleCount(), 1200u);
        form.close();
    }

    void findKeyFocusesTheFieldAndEscapeClearsIt()
    {
        prepare(0);
        TTVXMainForm form(paths_, &user_);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* edit = form.findChild<QLineEdit*>("searchEdit");
        auto* view = form.findChild<MowerListView*>("mowerList");
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());

        QTest::keySequence(&form, QKeySequence::Find);
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, "schmidt11");
        QCOMPARE(form.mowerList()->VisibleCount(), 111u);  // 11, 110..119, 1100..1199
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(form.mowerList()->VisibleCount(), 1200u);
        form.close();
    }

    void theCountUsesTheLanguagesDigitGrouping()
    {
        prepare(4);
        TTVXMainForm form(paths_, &user_);
        auto* count = form.findChild<QLabel*>("searchCountLabel");
        QCOMPARE(count->text(), QString("1.200 von 1.200"));
        QCOMPARE(form.findChild<QLineEdit*>("searchEdit")->placeholderText(), QString::fromUtf8("Mäher suchen"));
        form.close();
    }
};

QTEST_MAIN(TestMowerSearch)
#include "test_mowersearch.moc"
