// libFuzzer target for the calculation pass and the baud rates. The first byte chooses the mode
// (bits 0-1), the regional format (bit 2), the clock (bit 3) and the family (bits 5-7); the rest,
// up to the first newline, is the interval box and after it the crystal box. The interval's number
// is also asked of every family's baud generators as a rate.
#include "baudrate.h"
#include "calcpass.h"
#include "dialogservices.h"
#include "numbertext.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

struct RecordingDialogs : tickora::DialogServices {
    void showMessage(const QString& text) override { messages.append(text); }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QStringList messages;
};

namespace {

// A reload inside its register whose rate the setting states, and ASCII code that loads it.
bool baudHolds(const tickora::BaudRequest& request) {
    const auto setting = tickora::baudSetting(request.generator, request.crystalMhz,
                                              request.timerClock, request.baud);
    if (!setting)
        return true;
    const int range = 1 << request.generator.reloadBits;
    const tickora::Exact error =
        (setting->actualBaud - request.baud) / request.baud * tickora::Exact(100);
    const std::string code = tickora::baudInitCode(request, *setting).value_or("");
    return setting->reload >= 0 && setting->reload < range && error == setting->errorPercent &&
           std::all_of(code.begin(), code.end(), [](char c) { return c > 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto split = std::min(text.find('\n'), text.size());
    const auto families = tickora::chipFamilies();
    const tickora::ChipFamily& family = families[(data[0] >> 5) % families.size()];
    tickora::CalcState state;
    state.modeCount = std::array{0, 8192, 65536, 256}[data[0] % 4];
    state.timerClock = family.clocks[(data[0] >> 3) & 1] ? family.clocks[(data[0] >> 3) & 1] : 12;
    RecordingDialogs dialogs;
    const tickora::NumberText numbers(QLocale(data[0] & 4 ? QLocale::German : QLocale::English));
    const QString interval = QString::fromUtf8(text.substr(0, split));
    const QString crystal = QString::fromUtf8(text.substr(std::min(split + 1, text.size())));
    const auto result = tickora::cal(interval, crystal, state, family, numbers, dialogs);

    // Exactly one outcome: results for a value the timer holds, or one of the three messages.
    const QStringList known{tickora::messages::fault, tickora::messages::outOfRange,
                            tickora::messages::badCrystal};
    bool holds = result ? dialogs.messages.isEmpty() && state.initValue >= 0 &&
                              state.initValue < state.modeCount &&
                              result->timing.initValue() == state.initValue
                        : dialogs.messages.size() == 1 && known.contains(dialogs.messages[0]);
    // As the baud window takes them: within what chips do, else refused before any reload.
    const auto crystalMhz = numbers.parseCrystal(crystal), rate = numbers.parseBaud(interval);
    for (const tickora::ChipFamily& each : families)
        for (const tickora::BaudGenerator& generator : each.generators)
            holds = holds &&
                    (!crystalMhz.problem.isEmpty() || !rate.problem.isEmpty() ||
                     baudHolds({each, generator, crystalMhz.value, state.timerClock, rate.value}));
    if (!holds)
        std::abort();
    return 0;
}
