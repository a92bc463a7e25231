#include "ui/ResponsiveClock.h"

#include <QTimer>
#include <QtTest>

namespace {

// Time passes only when slept, so the test controls when 50 ms have gone by.
class SteppedClock : public Clock {
public:
    void sleep(unsigned ms) override { micros += std::uint64_t(ms) * 1000; }
    void sleepMicros(unsigned us) override { micros += us; }
    LocalTime now() override { return {}; }
    std::uint64_t monotonicMicros() override { return micros; }
    std::uint64_t micros = 1'000'000;
};

}  // namespace

class TestResponsiveClock : public QObject {
    Q_OBJECT

private slots:
    void aLongWaitLetsTheWindowWorkInSlices()
    {
        SteppedClock real;
        ResponsiveClock clock(real);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(0);
        clock.sleep(1000);  // twenty slices of 50 ms
        QVERIFY(ticks >= 10);
        QVERIFY(ticks <= 20);
        QCOMPARE(real.micros, std::uint64_t(2'000'000));
    }

    void shortPollsDoNotRunTheEventLoopEachTime()
    {
        SteppedClock real;
        ResponsiveClock clock(real);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(0);
        for (int i = 0; i < 1000; ++i)
            clock.sleepMicros(100);  // 100 ms in all
        QVERIFY(ticks >= 1);
        QVERIFY(ticks <= 3);
    }
};

QTEST_MAIN(TestResponsiveClock)
#include "test_responsiveclock.moc"
