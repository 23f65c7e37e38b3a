// Register bytes and C initialisation code against hand-worked values.
#include "registers.h"

#include <QTest>

using namespace tickora;

class TestRegisters : public QObject {
    Q_OBJECT
private slots:
    void splitsEachMode_data();
    void splitsEachMode();
    void refusesWhatNoTimerHolds_data();
    void refusesWhatNoTimerHolds();
    void writesInitCode_data();
    void writesInitCode();
};

void TestRegisters::splitsEachMode_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("th");
    QTest::addColumn<int>("tl");
    QTest::addColumn<int>("modeBits");

    // clang-format off
    QTest::newRow("mode 0, 1F9C") << 0x1F9C << 8192 << 0xFC << 0x1C << 0;
    QTest::newRow("mode 0, 0C78") << 0x0C78 << 8192 << 0x63 << 0x18 << 0;
    QTest::newRow("mode 0, 0") << 0 << 8192 << 0x00 << 0x00 << 0;
    QTest::newRow("mode 0, N-1") << 8191 << 8192 << 0xFF << 0x1F << 0;
    QTest::newRow("mode 1, FF9C") << 0xFF9C << 65536 << 0xFF << 0x9C << 1;
    QTest::newRow("mode 1, 4C00") << 0x4C00 << 65536 << 0x4C << 0x00 << 1;
    QTest::newRow("mode 1, N-1") << 65535 << 65536 << 0xFF << 0xFF << 1;
    QTest::newRow("modes 2,3, 9C") << 0x9C << 256 << 0x9C << 0x9C << 2;
    QTest::newRow("modes 2,3, 0") << 0 << 256 << 0x00 << 0x00 << 2;
    QTest::newRow("modes 2,3, N-1") << 255 << 256 << 0xFF << 0xFF << 2;
    // clang-format on
}

void TestRegisters::splitsEachMode() {
    QFETCH(int, value);
    QFETCH(int, mode);
    QFETCH(int, th);
    QFETCH(int, tl);
    QFETCH(int, modeBits);
    const auto registers = splitRegisters(value, mode);
    QVERIFY(registers.has_value());
    QCOMPARE(int(registers->th), th);
    QCOMPARE(int(registers->tl), tl);
    QCOMPARE(int(registers->modeBits), modeBits);
}

void TestRegisters::refusesWhatNoTimerHolds_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    // clang-format off
    QTest::newRow("no mode") << 0 << 0;
    QTest::newRow("negative") << -1 << 65536;
    QTest::newRow("mode 0, N") << 8192 << 8192;
    QTest::newRow("modes 2,3, N") << 256 << 256;
    QTest::newRow("not a mode") << 5 << 1000;
    // clang-format on
}

void TestRegisters::refusesWhatNoTimerHolds() {
    QFETCH(int, value);
    QFETCH(int, mode);
    QVERIFY(!splitRegisters(value, mode).has_value());
    QVERIFY(!timerInitCode(0, {value, mode, 100.f, 12.f, 0.f}).has_value());
}

void TestRegisters::writesInitCode_data() {
    QTest::addColumn<int>("timer");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("interval");
    QTest::addColumn<float>("crystal");
    QTest::addColumn<float>("error");
    QTest::addColumn<QString>("code");

    // clang-format off
    QTest::newRow("timer 0, mode 1") << 0 << 0xFF9C << 65536 << 100.f << 12.f << 0.f
        << "TMOD = (TMOD & 0xF0) | 0x01;  /* timer 0, mode 1 */\n"
           "TH0 = 0xFF;\n"
           "TL0 = 0x9C;  /* 100 us at 12 MHz, error 0.000 us */\n";
    QTest::newRow("timer 1, mode 0") << 1 << 0x1F9C << 8192 << 100.f << 12.f << 0.f
        << "TMOD = (TMOD & 0x0F) | 0x00;  /* timer 1, mode 0 */\n"
           "TH1 = 0xFC;\n"
           "TL1 = 0x1C;  /* 100 us at 12 MHz, error 0.000 us */\n";
    QTest::newRow("timer 1, mode 2") << 1 << 0x1A << 256 << 250.f << 11.0592f << 0.434f
        << "TMOD = (TMOD & 0x0F) | 0x20;  /* timer 1, mode 2 */\n"
           "TH1 = 0x1A;\n"
           "TL1 = 0x1A;  /* 250 us at 11.0592 MHz, error 0.434 us */\n";
    QTest::newRow("timer 0, negative error") << 0 << 0xFC66 << 65536 << 1000.f << 11.0592f << -0.434f
        << "TMOD = (TMOD & 0xF0) | 0x01;  /* timer 0, mode 1 */\n"
           "TH0 = 0xFC;\n"
           "TL0 = 0x66;  /* 1000 us at 11.0592 MHz, error -0.434 us */\n";
    QTest::newRow("error rounding to zero") << 0 << 0 << 256 << 0.5f << 24.f << -0.0001f
        << "TMOD = (TMOD & 0xF0) | 0x02;  /* timer 0, mode 2 */\n"
           "TH0 = 0x00;\n"
           "TL0 = 0x00;  /* 0.5 us at 24 MHz, error 0.000 us */\n";
    // clang-format on
}

void TestRegisters::writesInitCode() {
    QFETCH(int, timer);
    QFETCH(int, value);
    QFETCH(int, mode);
    QFETCH(float, interval);
    QFETCH(float, crystal);
    QFETCH(float, error);
    QFETCH(QString, code);
    const auto written = timerInitCode(timer, {value, mode, interval, crystal, error});
    QVERIFY(written.has_value());
    QCOMPARE(QString::fromStdString(*written), code);
}

QTEST_GUILESS_MAIN(TestRegisters)
#include "test_registers.moc"
