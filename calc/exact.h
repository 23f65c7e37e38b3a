// A rational number held exactly: what the user typed and what follows from it by the four
// operations, so every figure printed from it is true to its last digit. Standard C++ with the
// 128-bit integers of GCC, Clang and MinGW.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tickora {

class Exact {
public:
    __extension__ typedef __int128 Int;

    constexpr Exact() = default;
    constexpr Exact(std::int64_t whole)
        : num_(whole) {}
    // A double would be cut to its whole part (Exact x = 11.0592; is 11): a caller says parse()
    // for a typed decimal or fromDouble() for the double's own value.
    template <std::floating_point Floating> Exact(Floating) = delete;
    // num / den, reduced; invalid for a zero denominator.
    static Exact ratio(Int num, Int den);
    // A plain ASCII decimal: "22.1184", "-1.5e3", ".5". Invalid when it is not one, or when it
    // needs more than 128 bits.
    static Exact parse(std::string_view ascii);
    // The value a double holds, exactly; invalid when it is not finite or too far from 1.
    static Exact fromDouble(double value);

    // False once an operation left the 128-bit range or divided by zero; stays false.
    bool valid() const { return den_ != 0; }
    int sign() const { return num_ < 0 ? -1 : num_ > 0 ? 1 : 0; }
    Int numerator() const { return num_; }
    Int denominator() const { return den_; }

    friend Exact operator+(const Exact& a, const Exact& b);
    friend Exact operator-(const Exact& a, const Exact& b);
    friend Exact operator*(const Exact& a, const Exact& b);
    friend Exact operator/(const Exact& a, const Exact& b);
    Exact operator-() const;
    friend bool operator==(const Exact& a, const Exact& b) = default;
    // Invalid values compare as unordered.
    friend std::partial_ordering operator<=>(const Exact& a, const Exact& b);

    // The nearest whole number, a tie to the even one; nothing when invalid or beyond 64 bits.
    std::optional<std::int64_t> roundedToEven() const;
    // The whole number at or below it; nothing when invalid or beyond 64 bits.
    std::optional<std::int64_t> floor() const;
    double toDouble() const;

    // ASCII, rounded half away from zero to that many decimals; no sign on a value that rounds
    // to zero: "-0.434", "0.000", "1000000.000". "invalid" for an invalid value.
    std::string fixed(int decimals) const;
    // Cut toward zero to at most that many decimals, trailing zeros dropped: "7.314", "65536".
    std::string cut(int decimals) const;
    // Every decimal when it ends within that many, else fixed(decimals): "11.0592", "1000".
    std::string text(int decimals) const;

private:
    Int num_ = 0;
    Int den_ = 1; // above zero, sharing no factor with num_; zero: invalid
};

} // namespace tickora
