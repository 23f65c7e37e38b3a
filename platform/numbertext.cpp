#include "numbertext.h"

#include "bounds.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace tickora {
namespace {

// Full-width forms are what a Chinese input method types in its full-width mode.
constexpr char16_t fullWidthZero = u'\uFF10';
constexpr char16_t fullWidthNine = u'\uFF19';

std::optional<QChar> singleChar(const QString& text) {
    if (text.size() == 1)
        return text.front();
    return std::nullopt;
}

// Maps one character onto the ASCII alphabet of a decimal number, or '\0' when it has no
// place in one.
class CharMapper {
public:
    explicit CharMapper(const QLocale& locale)
        : decimalPoint_(singleChar(locale.decimalPoint()))
        , minusSign_(singleChar(locale.negativeSign()))
        , plusSign_(singleChar(locale.positiveSign())) {}

    char operator()(QChar c) const {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return static_cast<char>(u);
        if (u >= fullWidthZero && u <= fullWidthNine)
            return static_cast<char>('0' + (u - fullWidthZero));
        if (u == u'.' || u == u'\uFF0E' || c == decimalPoint_)
            return '.';
        if (u == u'-' || u == u'\uFF0D' || u == u'\u2212' || c == minusSign_)
            return '-';
        if (u == u'+' || u == u'\uFF0B' || c == plusSign_)
            return '+';
        if (u == u'e' || u == u'E' || u == u'\uFF45' || u == u'\uFF25')
            return 'e';
        return '\0';
    }

private:
    std::optional<QChar> decimalPoint_;
    std::optional<QChar> minusSign_;
    std::optional<QChar> plusSign_;
};

QStringView trimmed(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].isSpace())
        ++first;
    while (last > first && text[last - 1].isSpace())
        --last;
    return text.sliced(first, last - first);
}

// from_chars reports both overflow and total underflow as out of range; only the decimal
// exponent tells them apart. True when the magnitude of a well-formed unsigned number is
// below one.
bool magnitudeBelowOne(const std::string& digits) {
    const auto ePos = digits.find('e');
    const std::string mantissa = digits.substr(0, ePos);
    const auto pointPos = mantissa.find('.');
    const std::string integerPart = mantissa.substr(0, pointPos);
    const std::string fraction = pointPos == std::string::npos ? "" : mantissa.substr(pointPos + 1);

    long long adjusted = 0;
    const auto firstNonZero = integerPart.find_first_not_of('0');
    if (firstNonZero != std::string::npos) {
        adjusted = static_cast<long long>(integerPart.size() - firstNonZero) - 1;
    } else {
        const auto inFraction = fraction.find_first_not_of('0');
        adjusted = -static_cast<long long>(inFraction == std::string::npos ? 0 : inFraction) - 1;
    }
    if (ePos != std::string::npos) {
        long long exponent = 0;
        bool negative = false;
        for (char c : digits.substr(ePos + 1)) {
            if (c == '-')
                negative = true;
            else if (c >= '0' && c <= '9' && exponent < 1'000'000'000)
                exponent = exponent * 10 + (c - '0');
        }
        adjusted += negative ? -exponent : exponent;
    }
    return adjusted < 0;
}

// The text as a plain ASCII decimal ("-11.0592", "5e1"), or nothing when it is not one number.
std::optional<std::string> asciiNumber(QStringView text, const QLocale& locale) {
    const QStringView number = trimmed(text);
    const CharMapper map(locale);
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(number.size()));
    for (QChar c : number) {
        const char mapped = map(c);
        if (mapped == '\0')
            return std::nullopt;
        ascii.push_back(mapped);
    }
    const std::size_t start = !ascii.empty() && (ascii[0] == '-' || ascii[0] == '+') ? 1 : 0;
    // The digits must begin right after the sign.
    if (start >= ascii.size() ||
        !(std::isdigit(static_cast<unsigned char>(ascii[start])) || ascii[start] == '.'))
        return std::nullopt;
    return ascii;
}

// A decimal number rounded correctly to Number, or nothing; the same for float and double.
template <typename Number>
std::optional<Number> parseNumber(QStringView text, const QLocale& locale) {
    const auto ascii = asciiNumber(text, locale);
    if (!ascii)
        return std::nullopt;
    const bool negative = (*ascii)[0] == '-';
    // from_chars takes its own leading minus only; the sign is ours.
    const std::string digits = ascii->substr((*ascii)[0] == '-' || (*ascii)[0] == '+' ? 1 : 0);
    Number value = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
    if (ptr != end)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        if (!magnitudeBelowOne(digits))
            return std::nullopt;
        value = 0;
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace

NumberText::NumberText(QLocale locale)
    : locale_(std::move(locale)) {}

std::optional<float> NumberText::parseSingle(QStringView text) const {
    return parseNumber<float>(text, locale_);
}

std::optional<double> NumberText::parseDouble(QStringView text) const {
    return parseNumber<double>(text, locale_);
}

Exact NumberText::parseExact(QStringView text) const {
    const auto ascii = asciiNumber(text, locale_);
    if (!ascii)
        return Exact::ratio(0, 0);
    const Exact exact = Exact::parse(*ascii);
    if (exact.valid())
        return exact;
    // Beyond 128 bits of decimals: the double nearest the text, which is still a decimal.
    const auto nearest = parseDouble(text);
    return nearest ? Exact::fromDouble(*nearest) : exact;
}

namespace {

// A well-formed number of one or more, however large: from_chars reads all of it, in range or
// not.
bool readsAsLarge(const std::string& ascii) {
    const std::string digits = ascii.substr(ascii[0] == '+' ? 1 : 0);
    double value = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
    return ptr == end && (ec == std::errc::result_out_of_range || value >= 1) &&
           !magnitudeBelowOne(digits);
}

} // namespace

Exact NumberText::parseTime(QStringView text, std::int64_t usPerUnit) const {
    const Exact us = parseExact(text) * Exact(usPerUnit);
    const auto ascii = asciiNumber(text, locale_);
    if (us.valid() || !ascii || (*ascii)[0] == '-' || !readsAsLarge(*ascii))
        return us;
    constexpr std::int64_t aeon = 1'000'000'000'000'000; // 10^15: squared, 3 x 10^16 years
    return Exact(aeon) * Exact(aeon);
}

namespace {

NumberText::Bounded bounded(const NumberText& numbers, QStringView text,
                            std::string (*problem)(double)) {
    const Exact value = numbers.parseExact(text);
    // A number too large for an exact value is still refused as out of bounds, not as text.
    const std::string why = problem(numbers.parseDouble(text).value_or(0));
    return {value, QString::fromStdString(why.empty() && !value.valid() ? problem(0) : why)};
}

} // namespace

NumberText::Bounded NumberText::parseCrystal(QStringView text) const {
    return bounded(*this, text, crystalProblem);
}

NumberText::Bounded NumberText::parseBaud(QStringView text) const {
    return bounded(*this, text, baudRateProblem);
}

QString NumberText::formatDecimal(std::int32_t value) { return QString::number(value); }

QString NumberText::formatHex(std::int32_t value) {
    return QString::number(static_cast<std::uint32_t>(value), 16).toUpper();
}

QString NumberText::formatFixed3(float value) const {
    const QString magnitude = locale_.toString(std::abs(static_cast<double>(value)), 'f', 3);
    if (magnitude == locale_.toString(0.0, 'f', 3))
        return magnitude;
    return locale_.toString(static_cast<double>(value), 'f', 3);
}

QString NumberText::formatSigned(double value, int decimals) const {
    const QString magnitude = formatPlain(std::abs(value), decimals);
    if (magnitude == formatPlain(0, decimals))
        return magnitude;
    return (value < 0 ? locale_.negativeSign() : locale_.positiveSign()) + magnitude;
}

QString NumberText::localized(std::string_view ascii, bool grouped) const {
    const bool negative = !ascii.empty() && ascii[0] == '-';
    const std::string_view magnitude = ascii.substr(negative ? 1 : 0);
    const std::size_t point = std::min(magnitude.find('.'), magnitude.size());
    const std::string_view whole = magnitude.substr(0, point);
    bool ok = false;
    const qulonglong value = QByteArray(whole.data(), qsizetype(whole.size())).toULongLong(&ok);
    QLocale plain = locale_;
    if (!grouped)
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = ok ? plain.toString(value) : QString::fromLatin1(whole.data(), whole.size());
    if (point < magnitude.size())
        text += locale_.decimalPoint() +
                QString::fromLatin1(magnitude.data() + point + 1, magnitude.size() - point - 1);
    return negative ? locale_.negativeSign() + text : text;
}

QString NumberText::localizedSigned(std::string_view ascii) const {
    const bool zero = ascii.find_first_not_of("-0.") == std::string_view::npos;
    return (ascii.empty() || ascii[0] == '-' || zero ? QString() : locale_.positiveSign()) +
           localized(ascii, false);
}

QString NumberText::formatPlain(double value, int decimals) const {
    QLocale plain = locale_;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', decimals);
}

QString NumberText::ungrouped(const QString& shown) const {
    return QString(shown).remove(locale_.groupSeparator());
}

} // namespace tickora
