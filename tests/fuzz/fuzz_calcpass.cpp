// libFuzzer target for the calculation pass. The first byte chooses the mode and the regional
// format; the rest, up to the first newline, is the interval box and after it the crystal box.
#include "calcpass.h"
#include "dialogservices.h"
#include "numbertext.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

class RecordingDialogs : public tickora::DialogServices {
public:
    void showMessage(const QString& text) override { messages.append(text); }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QStringList messages;
};

void require(bool holds, const char* property, const QString& detail = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s %s\n", property, qPrintable(detail));
    std::abort();
}

const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QRegularExpression usFixed3(QStringLiteral("^-?[0-9]{1,3}(,[0-9]{3})*\\.[0-9]{3}$"));
const QRegularExpression germanFixed3(QStringLiteral("^-?[0-9]{1,3}(\\.[0-9]{3})*,[0-9]{3}$"));
const QRegularExpression upperHex(QStringLiteral("^(0|[1-9A-F][0-9A-F]*)$"));

void checkResults(const tickora::ResultTexts& texts, const tickora::CalcState& state,
                  bool germanFormat) {
    const std::int32_t n = state.modeCount;
    bool isHex = false;
    const qlonglong initValue = texts.initValue.toLongLong(&isHex, 16);
    require(upperHex.match(texts.initValue).hasMatch() && isHex, "Text4 is upper-case hex",
            texts.initValue);
    require(initValue >= 0 && initValue <= qlonglong{n} - 1, "Text4 within 0..N-1",
            texts.initValue);

    const double longest = std::nearbyint(12.0 / double(state.crystalMhz) * n);
    require(texts.maxTime == QString::number(static_cast<qlonglong>(longest)),
            "Text3 is the longest interval", texts.maxTime);

    const QRegularExpression& fixed3 = germanFormat ? germanFixed3 : usFixed3;
    require(fixed3.match(texts.cycle).hasMatch(), "Text5 has three decimals", texts.cycle);
    require(fixed3.match(texts.error).hasMatch(), "Text6 has three decimals", texts.error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const std::int32_t modes[] = {0, 8192, 65536, 256};
    const bool germanFormat = (data[0] & 4) != 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto split = rest.find('\n');
    const std::string_view interval = rest.substr(0, split);
    const std::string_view crystal =
        split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

    tickora::CalcState state;
    state.modeCount = modes[data[0] % 4];
    RecordingDialogs dialogs;
    const tickora::NumberText numbers(germanFormat ? german : usEnglish);
    const auto texts = tickora::cal(QString::fromUtf8(interval.data(), qsizetype(interval.size())),
                                    QString::fromUtf8(crystal.data(), qsizetype(crystal.size())),
                                    state, numbers, dialogs);

    require(texts.has_value() != (dialogs.messages.size() == 1), "one outcome per pass");
    require(dialogs.messages.size() <= 1, "at most one message");
    if (texts)
        checkResults(*texts, state, germanFormat);
    else
        require(dialogs.messages[0] == tickora::messages::fault ||
                    dialogs.messages[0] == tickora::messages::outOfRange ||
                    dialogs.messages[0] == tickora::messages::badCrystal,
                "a known message", dialogs.messages[0]);
    return 0;
}
