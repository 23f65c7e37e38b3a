#include "exact.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tickora {
namespace {

using Int = Exact::Int;

constexpr Int intMax = ~(Int{1} << 127);

Int absolute(Int value) { return value < 0 ? -value : value; }

Int gcd(Int a, Int b) {
    a = absolute(a), b = absolute(b);
    while (b != 0) {
        const Int rest = a % b;
        a = b, b = rest;
    }
    return a;
}

bool multiply(Int a, Int b, Int& product) { return !__builtin_mul_overflow(a, b, &product); }
bool add(Int a, Int b, Int& sum) { return !__builtin_add_overflow(a, b, &sum); }

std::string wholeText(Int value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

// |value| as its whole part and the first decimals of the rest, by long division; the remainder
// tells how the digits go on.
struct Decimals {
    Int whole;
    std::string digits;
    Int remainder; // below the denominator: what the digits left over
};

// The next decimal of remainder / den, and what is left of it: ten times the remainder, added
// up modulo den, since ten times it can pass 128 bits when den is near them.
char nextDigit(Int& remainder, Int den) {
    const Int step = remainder;
    int digit = 0;
    remainder = 0;
    for (int i = 0; i < 10; ++i) {
        const bool wraps = remainder >= den - step;
        remainder = wraps ? remainder - (den - step) : remainder + step;
        digit += wraps ? 1 : 0;
    }
    return static_cast<char>('0' + digit);
}

Decimals longDivision(Int num, Int den, int decimals) {
    num = absolute(num);
    Decimals result{num / den, {}, num % den};
    for (int i = 0; i < decimals; ++i)
        result.digits.push_back(nextDigit(result.remainder, den));
    return result;
}

// Adds one unit in the last place, carrying into the whole part.
void roundUp(Decimals& value) {
    for (auto digit = value.digits.rbegin(); digit != value.digits.rend(); ++digit) {
        if (*digit != '9') {
            ++*digit;
            return;
        }
        *digit = '0';
    }
    ++value.whole;
}

std::string joined(bool negative, const Decimals& value) {
    const bool zero = value.whole == 0 && value.digits.find_first_not_of('0') == std::string::npos;
    // Appended one by one: "-" + std::string trips GCC 12's -Wrestrict (a false alarm).
    std::string text = negative && !zero ? "-" : "";
    text += wholeText(value.whole);
    if (!value.digits.empty())
        text += '.' + value.digits;
    return text;
}

} // namespace

Exact Exact::ratio(Int num, Int den) {
    Exact value;
    if (den == 0 || num == -intMax - 1 || den == -intMax - 1) {
        value.den_ = 0;
        return value;
    }
    if (den < 0)
        num = -num, den = -den;
    const Int common = gcd(num, den);
    value.num_ = common == 0 ? 0 : num / common;
    value.den_ = common == 0 ? 1 : den / common;
    return value;
}

Exact Exact::parse(std::string_view ascii) {
    const Exact invalid = ratio(0, 0);
    std::size_t at = 0;
    const bool negative = !ascii.empty() && ascii[0] == '-';
    if (!ascii.empty() && (ascii[0] == '-' || ascii[0] == '+'))
        ++at;
    Int mantissa = 0;
    int scale = 0, digits = 0;
    bool point = false;
    for (; at < ascii.size() && ascii[at] != 'e' && ascii[at] != 'E'; ++at) {
        const char c = ascii[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9' || !multiply(mantissa, 10, mantissa) ||
            !add(mantissa, c - '0', mantissa))
            return invalid;
        ++digits;
        scale += point ? 1 : 0;
    }
    if (digits == 0)
        return invalid;
    if (at < ascii.size()) { // the exponent
        const std::string_view exponent = ascii.substr(at + 1);
        const bool down = !exponent.empty() && exponent[0] == '-';
        const std::size_t first = !exponent.empty() && (exponent[0] == '-' || exponent[0] == '+');
        if (first >= exponent.size() || exponent.size() - first > 4)
            return invalid;
        int power = 0;
        for (const char c : exponent.substr(first)) {
            if (c < '0' || c > '9')
                return invalid;
            power = power * 10 + (c - '0');
        }
        scale += down ? power : -power;
    }
    if (mantissa == 0)
        return Exact{};
    Int tens = 1;
    for (int i = 0; i < std::abs(scale); ++i)
        if (!multiply(tens, 10, tens))
            return invalid;
    if (scale < 0 && !multiply(mantissa, tens, mantissa))
        return invalid;
    return ratio(negative ? -mantissa : mantissa, scale > 0 ? tens : 1);
}

Exact Exact::fromDouble(double value) {
    if (!std::isfinite(value))
        return ratio(0, 0);
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);
    const auto mantissa = static_cast<Int>(std::ldexp(fraction, 53));
    exponent -= 53;
    if (exponent > 70)
        return ratio(0, 0);
    if (exponent < -125)
        return Exact{}; // below 2^-72: nothing a timer could tell from zero
    return exponent >= 0 ? ratio(mantissa * (Int{1} << exponent), 1)
                         : ratio(mantissa, Int{1} << -exponent);
}

Exact operator+(const Exact& a, const Exact& b) {
    if (!a.valid() || !b.valid())
        return Exact::ratio(0, 0);
    const Int common = gcd(a.den_, b.den_);
    Int left = 0, right = 0, num = 0, den = 0;
    if (!multiply(a.num_, b.den_ / common, left) || !multiply(b.num_, a.den_ / common, right) ||
        !add(left, right, num) || !multiply(a.den_ / common, b.den_, den))
        return Exact::ratio(0, 0);
    return Exact::ratio(num, den);
}

Exact Exact::operator-() const { return valid() ? ratio(-num_, den_) : *this; }

Exact operator-(const Exact& a, const Exact& b) { return a + -b; }

Exact operator*(const Exact& a, const Exact& b) {
    if (!a.valid() || !b.valid())
        return Exact::ratio(0, 0);
    // Each denominator is at least 1, so neither common factor is 0.
    const Int first = gcd(a.num_, b.den_), second = gcd(b.num_, a.den_);
    Int num = 0, den = 0;
    if (!multiply(a.num_ / first, b.num_ / second, num) ||
        !multiply(a.den_ / second, b.den_ / first, den))
        return Exact::ratio(0, 0);
    return Exact::ratio(num, den);
}

Exact operator/(const Exact& a, const Exact& b) {
    if (!b.valid() || b.num_ == 0)
        return Exact::ratio(0, 0);
    return a * Exact::ratio(b.den_, b.num_);
}

namespace {

// a/b against c/d for a, c >= 0 and b, d > 0, exactly where the cross products would overflow:
// whole parts first, then the remainders' reciprocals in reverse, as in Euclid's algorithm.
std::strong_ordering compareFractions(Int a, Int b, Int c, Int d) {
    for (bool reversed = false;; reversed = !reversed) {
        const Int left = a / b, right = c / d;
        const Int leftRest = a % b, rightRest = c % d;
        std::strong_ordering order = left <=> right;
        if (order == 0)
            order = leftRest == 0 || rightRest == 0 ? (rightRest == 0) <=> (leftRest == 0)
                                                    : std::strong_ordering::equal;
        if (order != 0 || leftRest == 0 || rightRest == 0)
            return reversed ? 0 <=> order : order;
        a = b, b = leftRest, c = d, d = rightRest; // b/leftRest against d/rightRest
    }
}

} // namespace

std::partial_ordering operator<=>(const Exact& a, const Exact& b) {
    if (!a.valid() || !b.valid())
        return std::partial_ordering::unordered;
    Int left = 0, right = 0;
    if (multiply(a.num_, b.den_, left) && multiply(b.num_, a.den_, right))
        return left <=> right;
    if (a.sign() != b.sign())
        return a.sign() <=> b.sign();
    return a.sign() < 0 ? compareFractions(-b.num_, b.den_, -a.num_, a.den_)
                        : compareFractions(a.num_, a.den_, b.num_, b.den_);
}

std::optional<std::int64_t> Exact::floor() const {
    if (!valid())
        return std::nullopt;
    Int whole = num_ / den_;
    if (num_ % den_ != 0 && num_ < 0)
        --whole;
    if (whole > std::numeric_limits<std::int64_t>::max() ||
        whole < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

std::optional<std::int64_t> Exact::roundedToEven() const {
    const auto below = floor();
    if (!below)
        return std::nullopt;
    const Exact rest = *this - Exact(*below); // in [0, 1)
    const auto half = rest <=> ratio(1, 2);
    const bool up = half > 0 || (half == 0 && *below % 2 != 0);
    return *below + (up ? 1 : 0);
}

namespace {

Exact magnitudeOf(const Exact& value) { return value.sign() < 0 ? -value : value; }

} // namespace

double Exact::toDouble() const {
    if (!valid())
        return std::numeric_limits<double>::quiet_NaN();
    constexpr Int exactInDouble = Int{1} << 53;
    if (absolute(num_) <= exactInDouble && den_ <= exactInDouble)
        return static_cast<double>(num_) / static_cast<double>(den_); // one rounding
    // Two roundings land on the nearest double or next to it: of the three, the nearest, a tie
    // to the even one, wherever their distances can be worked exactly.
    const double near =
        static_cast<double>(static_cast<long double>(num_) / static_cast<long double>(den_));
    double best = near;
    Exact bestMiss = magnitudeOf(*this - fromDouble(near));
    for (const double other : {std::nextafter(near, -HUGE_VAL), std::nextafter(near, HUGE_VAL)}) {
        const Exact miss = magnitudeOf(*this - fromDouble(other));
        const auto order = miss <=> bestMiss;
        const bool evenTie = order == 0 && (std::bit_cast<std::uint64_t>(other) & 1) == 0;
        if (order < 0 || evenTie)
            best = other, bestMiss = miss;
    }
    return best;
}

std::string Exact::fixed(int decimals) const {
    if (!valid())
        return "invalid";
    Decimals value = longDivision(num_, den_, decimals);
    if (value.remainder >= den_ - value.remainder) // half or more of the last place: away from 0
        roundUp(value);
    return joined(num_ < 0, value);
}

std::string Exact::cut(int decimals) const {
    if (!valid())
        return "invalid";
    Decimals value = longDivision(num_, den_, decimals);
    while (!value.digits.empty() && value.digits.back() == '0')
        value.digits.pop_back();
    return joined(num_ < 0, value);
}

std::string Exact::text(int decimals) const {
    if (!valid())
        return "invalid";
    const Decimals value = longDivision(num_, den_, decimals);
    return value.remainder == 0 ? cut(decimals) : fixed(decimals);
}

} // namespace tickora
