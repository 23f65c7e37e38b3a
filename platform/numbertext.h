// Number text in and out of the calculator: what the user types and what the result boxes show.
// The user's regional settings come in from outside as a QLocale, so tests can pin them.
#pragma once

#include "exact.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tickora {

class NumberText {
public:
    explicit NumberText(QLocale locale = QLocale());

    // A decimal number rounded correctly to float, or nothing when the text is not one
    // number within the float range.
    std::optional<float> parseSingle(QStringView text) const;
    // The same to double, for intervals up to a day to the ns.
    std::optional<double> parseDouble(QStringView text) const;
    // The decimal exactly as typed; invalid when the text is not one number.
    Exact parseExact(QStringView text) const;
    // A typed crystal (MHz) or baud rate as typed, and why it is refused where it is: not a
    // number, not above zero, or beyond what chips do, worded as the core words it.
    struct Bounded {
        Exact value;
        QString problem; // empty when the value is usable
    };
    Bounded parseCrystal(QStringView text) const;
    // A typed time in µs, usPerUnit µs a unit. A number too large for an exact value is still a
    // number: it comes back as one far longer than any timer reaches, so that it is refused as
    // too long, in the words every window and the command line use; text that is no number
    // comes back invalid.
    Exact parseTime(QStringView text, std::int64_t usPerUnit) const;
    Bounded parseBaud(QStringView text) const;

    static QString formatDecimal(std::int32_t value);
    // Upper-case hex of the 32-bit two's complement, no prefix or leading zeros.
    static QString formatHex(std::int32_t value);
    // Three decimals in the user's regional format; a value that rounds to zero has no sign.
    QString formatFixed3(float value) const;
    // Always a sign, but on a value that rounds to zero: "+0.043", "-6.99", "0.000".
    QString formatSigned(double value, int decimals) const;
    // A plain ASCII decimal ("-1234.500", from Exact) in the regional format: its decimal
    // point and minus sign, and its digit grouping where asked for.
    QString localized(std::string_view ascii, bool grouped) const;
    // Ungrouped, with a sign but on zero: "+0.043", "-6.990", "0.000".
    QString localizedSigned(std::string_view ascii) const;
    // Ungrouped, as in running text or a table: "1000.434".
    QString formatPlain(double value, int decimals) const;
    // A shown number without its digit grouping, for lines a script reads: "1000.000".
    QString ungrouped(const QString& shown) const;

private:
    QLocale locale_;
};

} // namespace tickora
