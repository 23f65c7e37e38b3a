// Number text: what parses and how results are shown, under more than one regional setting.
#include "numbertext.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace tickora;

namespace {
const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale chinese(QLocale::Chinese, QLocale::China);
} // namespace

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void parsesNumbers_data();
    void parsesNumbers();
    void rejectsNonNumbers_data();
    void rejectsNonNumbers();
    void roundsCorrectlyToFloat();
    void formatsFixed3_data();
    void formatsFixed3();
    void formatsIntegers();
};

void TestNumberText::parsesNumbers_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("value");

    // clang-format off
    QTest::newRow("plain") << usEnglish << "100" << 100.f;
    QTest::newRow("decimal") << usEnglish << "11.0592" << 11.0592f;
    QTest::newRow("negative") << usEnglish << "-12" << -12.f;
    QTest::newRow("exponent") << usEnglish << "1.5e3" << 1500.f;
    QTest::newRow("exponent with sign") << usEnglish << "25E-1" << 2.5f;
    QTest::newRow("blanks around") << usEnglish << "  12 \t" << 12.f;
    QTest::newRow("ideographic blank") << chinese << "\u300012" << 12.f;
    QTest::newRow("full-width") << chinese << "１２．５" << 12.5f;
    QTest::newRow("full-width sign") << chinese << "－１２" << -12.f;
    QTest::newRow("largest float") << usEnglish << "3.4028235e38" << std::numeric_limits<float>::max();
    QTest::newRow("subnormal") << usEnglish << "1e-45" << std::numeric_limits<float>::denorm_min();
    QTest::newRow("regional comma") << german << "11,0592" << 11.0592f;
    QTest::newRow("point under a comma locale") << german << "11.0592" << 11.0592f;
    // clang-format on
}

void TestNumberText::parsesNumbers() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(float, value);
    const auto parsed = NumberText(locale).parseSingle(text);
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, value);
}

// The bad-input sweep covers the rest of what must not parse, through every route.
void TestNumberText::rejectsNonNumbers_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    // clang-format off
    QTest::newRow("huge exponent") << usEnglish << "1e99999999999999999999";
    QTest::newRow("two points") << usEnglish << "1.2.3";
    QTest::newRow("comma not regional") << usEnglish << "11,0592";
    QTest::newRow("grouped") << german << "1.234,5";
    QTest::newRow("sign alone") << usEnglish << "-";
    QTest::newRow("point alone") << usEnglish << ".";
    // clang-format on
}

void TestNumberText::rejectsNonNumbers() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QVERIFY(!NumberText(locale).parseSingle(text).has_value());
}

void TestNumberText::roundsCorrectlyToFloat() {
    // Halfway between 1 and the next float, plus a little far past double precision: going
    // through double would round it down to 1.
    const auto parsed =
        NumberText(usEnglish).parseSingle(QStringLiteral("1.00000005960464477539062500000000001"));
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, std::nextafter(1.f, 2.f));
}

void TestNumberText::formatsFixed3_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    // clang-format off
    QTest::newRow("us one") << usEnglish << 1.f << "1.000";
    QTest::newRow("us leading zero") << usEnglish << 0.3f << "0.300";
    QTest::newRow("us negative") << usEnglish << -0.434f << "-0.434";
    QTest::newRow("us grouped") << usEnglish << 1234.5f << "1,234.500";
    QTest::newRow("de grouped") << german << 1234.5f << "1.234,500";
    QTest::newRow("de negative") << german << -0.434f << "-0,434";
    QTest::newRow("exact tie away from zero") << usEnglish << -1.0625f << "-1.063";
    QTest::newRow("rounds to zero, no sign") << usEnglish << -0.0004f << "0.000";
    QTest::newRow("negative zero") << german << -0.f << "0,000";
    // clang-format on
}

void TestNumberText::formatsFixed3() {
    QFETCH(QLocale, locale);
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText(locale).formatFixed3(value), text);
}

void TestNumberText::formatsIntegers() {
    QCOMPARE(NumberText::formatDecimal(65536), QStringLiteral("65536"));
    QCOMPARE(NumberText::formatDecimal(-256), QStringLiteral("-256"));
    QCOMPARE(NumberText::formatHex(0), QStringLiteral("0"));
    QCOMPARE(NumberText::formatHex(0xFF9C), QStringLiteral("FF9C"));
    QCOMPARE(NumberText::formatHex(-1), QStringLiteral("FFFFFFFF"));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_numbertext.moc"
