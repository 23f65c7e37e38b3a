// libFuzzer target for the calculation pass. The first byte chooses the mode and the regional
// format; the rest, up to the first newline, is the interval box and after it the crystal box.
#include "calcpass.h"
#include "dialogservices.h"
#include "numbertext.h"

#include <array>
#include <cstdlib>
#include <string_view>

struct RecordingDialogs : tickora::DialogServices {
    void showMessage(const QString& text) override { messages.append(text); }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QStringList messages;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto split = std::min(text.find('\n'), text.size());
    tickora::CalcState state;
    state.modeCount = std::array{0, 8192, 65536, 256}[data[0] % 4];
    RecordingDialogs dialogs;
    const auto texts = tickora::cal(
        QString::fromUtf8(text.substr(0, split)),
        QString::fromUtf8(text.substr(std::min(split + 1, text.size()))), state,
        tickora::NumberText(QLocale(data[0] & 4 ? QLocale::German : QLocale::English)), dialogs);

    // Exactly one outcome: results for a value the timer holds, or one of the three messages.
    const QStringList known{tickora::messages::fault, tickora::messages::outOfRange,
                            tickora::messages::badCrystal};
    const bool holds = texts ? dialogs.messages.isEmpty() && state.initValue >= 0 &&
                                   state.initValue < state.modeCount
                             : dialogs.messages.size() == 1 && known.contains(dialogs.messages[0]);
    if (!holds)
        std::abort();
    return 0;
}
