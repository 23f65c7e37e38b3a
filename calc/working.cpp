#include "working.h"

#include "registers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tickora {
namespace {

std::string num(std::int64_t value) { return std::to_string(value); }

// A stored float as the double that the pass computes with holds it, and a double: the digits
// that read back as the same value, so a later step can use the very number shown.
std::string doubleText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}
std::string floatText(float value) { return doubleText(double(value)); }

std::string hexText(std::int64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*XH", digits, static_cast<unsigned>(value));
    return text;
}

// Every decimal when it ends within that many, else rounded half away from zero.
WorkingStep decimalStep(std::string label, std::vector<std::string> terms, const Exact& value,
                        int decimals, std::string unit = {}) {
    const std::string text = value.text(decimals);
    return {std::move(label), std::move(terms),
            Exact::parse(text) == value ? Rounding::Exact : Rounding::HalfAway, text,
            std::move(unit)};
}

std::string chipLine(const ChipFamily& family, std::int32_t clock) {
    return "芯片：" + std::string(family.name) + "，定时器时钟 " + num(clock) +
           "T（每个计数 D = " + num(clock) + " 个时钟）";
}

bool isNumber(const std::string& term) {
    return !term.empty() && (std::isdigit(static_cast<unsigned char>(term.back())) != 0);
}

// The terms' value, × and ÷ before + and −, brackets first; invalid where a term is no number.
class Evaluation {
public:
    explicit Evaluation(const std::vector<std::string>& terms)
        : terms_(terms) {}
    Exact value() {
        const Exact result = sum();
        return at_ == terms_.size() ? result : Exact::ratio(1, 0);
    }

private:
    bool next(const char* op) {
        if (at_ < terms_.size() && terms_[at_] == op)
            return ++at_, true;
        return false;
    }
    Exact sum() {
        Exact result = product();
        for (;;)
            if (next("+"))
                result = result + product();
            else if (next("−"))
                result = result - product();
            else
                return result;
    }
    Exact product() {
        Exact result = factor();
        for (;;)
            if (next("×"))
                result = result * factor();
            else if (next("÷"))
                result = result / factor();
            else
                return result;
    }
    Exact factor() {
        if (next("(")) {
            const Exact inner = sum();
            return next(")") ? inner : Exact::ratio(1, 0);
        }
        return at_ < terms_.size() ? Exact::parse(terms_[at_++]) : Exact::ratio(1, 0);
    }
    const std::vector<std::string>& terms_;
    std::size_t at_ = 0;
};

// "=" wherever the result is the expression's value to the last digit, whatever the rounding
// that made it.
bool exactResult(const WorkingStep& step) {
    if (step.rounding == Rounding::Exact)
        return true;
    const std::string& result = step.result;
    if (result.empty() || result.back() == 'H')
        return false;
    const Exact value = Evaluation(step.terms).value();
    return value.valid() && value == Exact::parse(result);
}

} // namespace

const char* roundingNote(Rounding rounding, int decimals) {
    switch (rounding) {
    case Rounding::Exact:
        return "";
    case Rounding::HalfAway:
        return decimals == 0 ? "（四舍五入到整数）" : "（四舍五入）";
    case Rounding::Cut:
        return "（舍去其后的各位）";
    case Rounding::ToEven:
        return "（取最接近的整数，正好一半时取偶数）";
    case Rounding::Single:
        return "（存为单精度浮点数）";
    case Rounding::Double:
        break;
    }
    return "（双精度浮点数）";
}

std::string workingText(const Working& working, const NumberLocalizer& localize) {
    const auto number = [&](const std::string& ascii) {
        return localize && isNumber(ascii) && ascii.back() != 'H' ? localize(ascii) : ascii;
    };
    std::string text = working.title + "\n\n";
    for (const std::string& line : working.given)
        text += line + "\n";
    text += "\n";
    int index = 0;
    for (const WorkingStep& step : working.steps) {
        if (step.terms.empty()) { // a choice the text states, not a calculation
            text += std::to_string(++index) + ". " + step.label + "：" + step.result + "\n";
            continue;
        }
        std::string expression;
        for (const std::string& term : step.terms)
            expression +=
                (expression.empty() || expression.back() == '(' || term == ")" ? "" : " ") +
                number(term);
        const bool exact = exactResult(step);
        const auto point = step.result.find('.');
        const int decimals = point == std::string::npos ? 0 : int(step.result.size() - point - 1);
        text += std::to_string(++index) + ". " + step.label + "：" + expression +
                (exact ? " = " : " ≈ ") + number(step.result) +
                (step.unit.empty() ? "" : " " + step.unit) +
                roundingNote(exact ? Rounding::Exact : step.rounding, decimals) + "\n";
    }
    if (!working.notes.empty())
        text += "\n";
    for (const std::string& line : working.notes)
        text += line + "\n";
    return text;
}

namespace {

// "定时时间 t = 1000 µs", or what could not be read of it.
std::string givenValue(const std::string& name, const Exact& value, const std::string& unit) {
    return value.valid() ? name + " = " + value.text(9) + " " + unit
                         : name.substr(0, name.rfind(' ')) + "（不是一个数，无法读出）";
}

void givenTimer(Working& working, const TimerWorkingInput& input) {
    const Timing& timing = input.timing;
    const TimerMode& mode = input.family.modes[input.mode];
    working.title = "计算过程：定时器初始值";
    working.given = {chipLine(input.family, timing.clock),
                     std::string(mode.summary) + "，N = " + num(timing.modeCount) + " 个计数",
                     givenValue("定时时间 t", timing.intervalUs, "µs") + "，" +
                         givenValue("晶体频率 f", timing.crystalMhz, "MHz")};
}

void registerNote(Working& working, const TimerWorkingInput& input, std::int32_t initValue) {
    const auto registers = splitRegisters(initValue, input.family.modes[input.mode]);
    if (registers)
        working.notes.push_back("寄存器：THx = " + hexText(registers->th, 2) +
                                "，TLx = " + hexText(registers->tl, 2) + "（" +
                                std::string(input.family.modes[input.mode].registerNote) + "）");
}

// Every figure from the typed decimals, as exactly as they allow.
void exactSteps(Working& working, const TimerWorkingInput& input) {
    const Timing& t = input.timing;
    const std::string us = t.intervalUs.text(9), f = t.crystalMhz.text(9), d = num(t.clock),
                      n = num(t.modeCount);
    if (!(t.crystalMhz > Exact(0))) {
        working.notes.push_back("晶体频率 f = " + f + " MHz 不是正数：没有机器周期 D ÷ f。");
        return;
    }
    working.steps.push_back(
        {"机器周期 T = D ÷ f", {d, "÷", f}, Rounding::HalfAway, t.cycleUs().fixed(3), "µs"});
    const Exact counts = t.intervalUs * t.crystalMhz / Exact(t.clock);
    working.steps.push_back(decimalStep("计数 = t × f ÷ D", {us, "×", f, "÷", d}, counts, 9));
    const std::string countsText = counts.text(9);
    if (input.outcome != CalcOutcome::Ok) {
        const auto rounded = counts.roundedToEven();
        if (!(t.intervalUs >= t.cycleUs()))
            working.notes.push_back("定时时间 t = " + us + " µs 短于一个计数（T ≈ " +
                                    t.cycleUs().fixed(3) + " µs）：至少要 1 个计数。");
        else if (rounded)
            working.notes.push_back("取整后 " + num(*rounded) + " 个计数，多于方式的 " + n +
                                    " 个，多出 " + num(*rounded - t.modeCount) +
                                    " 个：超出定时范围。");
        else
            working.notes.push_back("计数太大，超出定时范围。");
        return;
    }
    working.steps.push_back({"取整", {countsText}, Rounding::ToEven, num(t.counts)});
    working.steps.push_back(
        {"初始值 = N − 计数", {n, "−", num(t.counts)}, Rounding::Exact, num(t.initValue())});
    working.steps.push_back(
        {"十六进制", {num(t.initValue())}, Rounding::Exact, hexText(t.initValue(), 4)});
    working.steps.push_back(
        {"最长定时 = N × D ÷ f", {n, "×", d, "÷", f}, Rounding::Cut, t.longestUs().cut(3), "µs"});
    const std::vector<std::string> achieved{num(t.counts), "×", d, "÷", f};
    working.steps.push_back(
        {"实际定时 = 计数 × D ÷ f", achieved, Rounding::HalfAway, t.achievedUs().fixed(3), "µs"});
    std::vector<std::string> error{us, "−"};
    error.insert(error.end(), achieved.begin(), achieved.end());
    working.steps.push_back(
        {"误差 = t − 实际定时", error, Rounding::HalfAway, t.errorUs().fixed(3), "µs"});
    std::vector<std::string> percent{"("};
    percent.insert(percent.end(), error.begin(), error.end());
    percent.insert(percent.end(), {")", "÷", us, "×", "100"});
    working.steps.push_back({"误差百分比 = 误差 ÷ t × 100", percent, Rounding::HalfAway,
                             t.errorPercent().fixed(3), "%"});
    registerNote(working, input, t.initValue());
}

// The classic 8051 at 12T: the stored floats of the window's own pass, step by step.
void singleSteps(Working& working, const TimerWorkingInput& input) {
    const CalcState& s = input.state;
    const Timing& t = input.timing;
    const std::string n = num(s.modeCount);
    working.given.push_back("经典 8051 在 12T 时按窗口一直以来的算法：输入和每步的结果存为单精度"
                            "浮点数（约 7 位有效数字），其间的运算用双精度。");
    working.steps.push_back({"晶体频率（单精度）",
                             {t.crystalMhz.text(9)},
                             Rounding::Single,
                             floatText(s.crystalMhz),
                             "MHz"});
    working.steps.push_back({"定时时间（单精度）",
                             {t.intervalUs.text(9)},
                             Rounding::Single,
                             floatText(s.timeUs),
                             "µs"});
    if (s.crystalMhz == 0.0f) {
        working.notes.push_back("晶体频率为 0：机器周期 D ÷ f 无法计算。");
        return;
    }
    const double f = s.crystalMhz, us = s.timeUs, q = s.timerClock / f;
    working.steps.push_back({"机器周期 q = D ÷ f",
                             {num(s.timerClock), "÷", doubleText(f)},
                             Rounding::Double,
                             doubleText(q),
                             "µs"});
    working.steps.push_back(
        {"机器周期（单精度）", {doubleText(q)}, Rounding::Single, floatText(s.cycleUs), "µs"});
    working.steps.push_back({"结果框的机器周期",
                             {floatText(s.cycleUs)},
                             Rounding::HalfAway,
                             Exact::fromDouble(double(s.cycleUs)).fixed(3),
                             "µs"});
    working.steps.push_back({"计数初值 = N − t ÷ q",
                             {n, "−", doubleText(us), "÷", doubleText(q)},
                             Rounding::Single,
                             floatText(s.countExact)});
    working.steps.push_back(
        {"最长定时 = q × N", {doubleText(q), "×", n}, Rounding::ToEven, num(s.maxTimeUs), "µs"});
    if (input.outcome != CalcOutcome::Ok) {
        if (us > s.maxTimeUs)
            working.notes.push_back("t = " + floatText(s.timeUs) + " µs 超过最长定时 " +
                                    num(s.maxTimeUs) + " µs，多出 " +
                                    (Exact::fromDouble(us) - Exact(s.maxTimeUs)).text(6) +
                                    " µs：超出定时范围。");
        else if (!(us >= s.cycleUs) || !(us > 0))
            working.notes.push_back("t 短于一个机器周期，或不是正数：超出定时范围。");
        else
            working.notes.push_back("计数初值取整后为负：需要的计数多于方式的 " + n +
                                    " 个，超出定时范围。");
        return;
    }
    working.steps.push_back(
        {"初始值 = 计数初值取整", {floatText(s.countExact)}, Rounding::ToEven, num(s.initValue)});
    working.steps.push_back(
        {"十六进制", {num(s.initValue)}, Rounding::Exact, hexText(s.initValue, 4)});
    working.steps.push_back(
        {"误差 = t − q × (N − 初始值)",
         {doubleText(us), "−", doubleText(q), "×", "(", n, "−", num(s.initValue), ")"},
         Rounding::Single,
         floatText(s.initErrorUs),
         "µs"});
    working.steps.push_back({"结果框的误差",
                             {floatText(s.initErrorUs)},
                             Rounding::HalfAway,
                             Exact::fromDouble(double(s.initErrorUs)).fixed(3),
                             "µs"});
    registerNote(working, input, s.initValue);
}

} // namespace

Working timerWorking(const TimerWorkingInput& input) {
    Working working;
    givenTimer(working, input);
    if (input.outcome == CalcOutcome::Fault && input.singlePass)
        working.notes.push_back("输入的值中含有字符或超出单精度范围：无法计算。");
    else if (input.singlePass)
        singleSteps(working, input);
    else if (input.outcome == CalcOutcome::Fault)
        working.notes.push_back("输入的值中含有字符：无法计算。");
    else
        exactSteps(working, input);
    return working;
}

namespace {

// Oscillator clocks per reload count, the port's divide included, as the table's formula has it.
WorkingStep clocksPerCountStep(const BaudGenerator& generator, std::int32_t clock, Exact& k) {
    const std::string divisor = num(generator.divisor), d = num(clock);
    switch (generator.scale) {
    case ClockScale::PerClock:
        k = Exact(generator.divisor) * Exact(clock);
        return {"k = " + divisor + " × D", {divisor, "×", d}, Rounding::Exact, k.text(9)};
    case ClockScale::PerMachineCycle:
        k = Exact(generator.divisor) * Exact(clock) / Exact(12);
        return {"k = " + divisor + " × D ÷ 12",
                {divisor, "×", d, "÷", "12"},
                Rounding::Exact,
                k.text(9)};
    case ClockScale::None:
        break;
    }
    k = Exact(generator.divisor);
    return {"k = " + divisor + "（发生器自己的分频）", {divisor}, Rounding::Exact, k.text(9)};
}

// Signed as the table shows the error: "+0.16", "-3.55"; the window's number text drops the sign
// of a zero, as the table does.
std::string signedText(const Exact& value, int decimals) {
    const std::string text = value.fixed(decimals);
    return text[0] == '-' ? text : "+" + text;
}

// The whole counts on each side of the exact one, each with the rate it gives, then the one
// whose rate is nearer the rate asked: rates go as 1 / counts, so not always the nearer count.
// what: "波特率" or "频率"; formula: what one count's rate is, "f ÷ k ÷ ".
void chooseCount(Working& working, const Exact& exact, std::int64_t chosen, std::int64_t range,
                 const std::vector<std::string>& perCount, const std::string& rate,
                 const std::string& what = "波特率", const std::string& formula = "f ÷ k ÷ ") {
    const std::int64_t below = std::clamp<std::int64_t>(exact.floor().value_or(0), 1, range);
    std::vector<std::int64_t> sides{below};
    if (below < range && exact > Exact(below))
        sides.push_back(below + 1);
    if (sides.size() == 1) {
        const std::string why = exact == Exact(chosen) ? "正好是整数"
                                : chosen == 1          ? "计数至少为 1"
                                                       : "计数最多 " + num(range);
        working.steps.push_back({"计数取 " + num(chosen) + "（" + why + "）",
                                 {num(chosen)},
                                 Rounding::Exact,
                                 num(chosen)});
        return;
    }
    for (const std::int64_t side : sides) {
        std::vector<std::string> terms = perCount;
        terms.push_back(num(side));
        working.steps.push_back(
            decimalStep("计数 " + num(side) + " 的" + what + " = " + formula + num(side), terms,
                        Evaluation(terms).value(), 3));
    }
    working.steps.push_back(
        {"计数取 " + num(chosen) + "（两者中" + what + "更接近 " + rate + " 的）",
         {num(chosen)},
         Rounding::Exact,
         num(chosen)});
}

} // namespace

Working baudWorking(const BaudRequest& request, const std::optional<BaudSetting>& setting) {
    const BaudGenerator& generator = request.generator;
    const std::int64_t range = std::int64_t{1} << generator.reloadBits;
    const std::string rate = request.baud.text(9), r = num(range);
    Working working{"计算过程：波特率",
                    {chipLine(request.family, request.timerClock),
                     "发生器：" + portGeneratorLabel(generator) + "，" + num(generator.reloadBits) +
                         " 位重装值",
                     "晶体频率 f = " + request.crystalMhz.text(9) + " MHz，要求的波特率 " + rate,
                     "公式：波特率 = f ÷ k ÷ (" + r + " − 重装值)，k 为每个重装计数的时钟数"},
                    {},
                    {}};
    const Exact hz = request.crystalMhz * Exact(1'000'000);
    const std::string f = hz.text(9);
    working.steps.push_back(
        {"f 的赫兹数", {request.crystalMhz.text(9), "×", "1000000"}, Rounding::Exact, f, "Hz"});
    Exact k;
    working.steps.push_back(clocksPerCountStep(generator, request.timerClock, k));
    const std::string kText = k.text(9);
    working.steps.push_back(
        decimalStep("计数 = f ÷ k ÷ 波特率", {f, "÷", kText, "÷", rate}, hz / k / request.baud, 9));
    if (!setting) {
        working.notes.push_back("最接近的计数不在 1 到 " + r + " 之间：超出范围，无法实现。");
        return working;
    }
    const std::int64_t counts = range - setting->reload;
    chooseCount(working, hz / k / request.baud, counts, range, {f, "÷", kText, "÷"}, rate);
    working.steps.push_back({"重装值 = " + r + " − 计数",
                             {r, "−", num(counts)},
                             Rounding::Exact,
                             num(setting->reload)});
    working.steps.push_back({"十六进制",
                             {num(setting->reload)},
                             Rounding::Exact,
                             hexText(setting->reload, generator.reloadBits / 4)});
    const std::vector<std::string> actual{f, "÷", kText, "÷", num(counts)};
    working.steps.push_back(
        {"实际波特率 = f ÷ k ÷ 计数", actual, Rounding::HalfAway, setting->actualBaud.fixed(1)});
    std::vector<std::string> error{"("};
    error.insert(error.end(), actual.begin(), actual.end());
    error.insert(error.end(), {"−", rate, ")", "÷", rate, "×", "100"});
    working.steps.push_back({"误差 = (实际 − 要求) ÷ 要求 × 100", error, Rounding::HalfAway,
                             signedText(setting->errorPercent, 2), "%"});
    if (!isReliable(*setting))
        working.notes.push_back("误差超过 ±2%：接收方可能读错一个字节的最后几位。");
    return working;
}

namespace {

std::string yesNo(bool yes) { return yes ? "是" : "否"; }

const char* kindText(TimerKind kind) {
    switch (kind) {
    case TimerKind::Count13:
        return "13 位";
    case TimerKind::Count16:
        return "16 位";
    case TimerKind::Reload16:
        return "16 位自动重装";
    case TimerKind::Reload8:
        break;
    }
    return "8 位自动重装";
}

void planRanking(Working& working, const TickPlan& plan, int rank, bool held) {
    const Exact size = plan.errorUs.sign() < 0 ? -plan.errorUs : plan.errorUs;
    working.notes.push_back("排序依次比较：周期准确（不是每次略长）" + yesNo(!plan.lateReload) +
                            "；精确 " + yesNo(plan.exact) + "；定时器自动重装 " +
                            yesNo(reloadsItself(plan.timer->kind)) +
                            "；节拍整齐（1、2、2.5、5 × "
                            "10 的整数次方 µs）" +
                            yesNo(roundTick(plan.tickUs)) + "；误差大小 " + size.fixed(3) +
                            " µs；次数 " + num(plan.ticks) + "。");
    working.notes.push_back(held ? "它的定时器被另一个窗口选中的代码占用，所以排在最后（第 " +
                                       num(rank) + " 个）。"
                                 : "按这些比较排在第 " + num(rank) + " 个。");
}

} // namespace

Working planWorking(const PlanRequest& request, const TickPlan& plan, int rank, bool held) {
    const std::string us = request.intervalUs.text(9), f = request.crystalMhz.text(9),
                      d = num(request.clock), c = num(plan.countsPerTick), k = num(plan.ticks);
    const std::int64_t range = countsOf(plan.timer->kind);
    Working working{"计算过程：定时方案",
                    {chipLine(request.family, request.clock),
                     "定时时间 t = " + us + " µs，晶体频率 f = " + f + " MHz",
                     "方案：" + std::string(plan.timer->label) + "（" + kindText(plan.timer->kind) +
                         "，" + num(range) + " 个计数），每 c = " + c +
                         " 个计数中断一次，共 k = " + k + " 次"},
                    {},
                    {}};
    const Exact total = request.intervalUs * request.crystalMhz / Exact(request.clock);
    working.steps.push_back(decimalStep("总计数 = t × f ÷ D", {us, "×", f, "÷", d}, total, 9));
    std::vector<std::string> ticks{us, "×", f, "÷", d, "÷", c};
    if (plan.prescale > 0)
        ticks.insert(ticks.end(), {"÷", num(plan.prescale + 1)});
    working.steps.push_back(
        {plan.prescale > 0 ? "次数 k = t × f ÷ D ÷ c ÷ (TMxPS + 1)" : "次数 k = t × f ÷ D ÷ c",
         ticks,
         total / Exact(plan.countsPerTick) / Exact(plan.prescale + 1) == Exact(plan.ticks)
             ? Rounding::Exact
             : Rounding::HalfAway,
         k});
    working.steps.push_back({"重装值 = " + num(range) + " − c",
                             {num(range), "−", c},
                             Rounding::Exact,
                             num(plan.reload)});
    working.steps.push_back({"十六进制",
                             {num(plan.reload)},
                             Rounding::Exact,
                             hexText(plan.reload, range > 256 ? 4 : 2)});
    // A prescaled timer's count takes TMxPS + 1 of its clocks.
    const std::string divisor = num(plan.prescale + 1);
    std::vector<std::string> tick{c, "×", d, "÷", f};
    if (plan.prescale > 0) {
        working.given.push_back(
            "预分频：" +
            std::string(reloadTimer(request.family, plan.timer->timer)->prescalerName) +
            " = TMxPS = " + num(plan.prescale) + "，每个计数 TMxPS + 1 = " + divisor +
            " 个定时器时钟");
        tick = {c, "×", divisor, "×", d, "÷", f};
    }
    working.steps.push_back(decimalStep(plan.prescale > 0 ? "每次定时 = c × (TMxPS + 1) × D ÷ f"
                                                          : "每次定时 = c × D ÷ f",
                                        tick, plan.tickUs, 9, "µs"));
    std::vector<std::string> achieved{k, "×"};
    achieved.insert(achieved.end(), tick.begin(), tick.end());
    working.steps.push_back(
        {plan.prescale > 0 ? "实际定时 = k × c × (TMxPS + 1) × D ÷ f" : "实际定时 = k × c × D ÷ f",
         achieved, Rounding::HalfAway, plan.achievedUs.fixed(3), "µs"});
    std::vector<std::string> error{us, "−"};
    error.insert(error.end(), achieved.begin(), achieved.end());
    working.steps.push_back(
        {"误差 = t − 实际定时", error, Rounding::HalfAway, plan.errorUs.fixed(3), "µs"});
    if (plan.lateReload)
        working.notes.push_back(
            "中断里重装，1T 核上重装时定时器停下的几个时钟不计入：每次比计数略长几个时钟。");
    planRanking(working, plan, rank, held);
    return working;
}

namespace {

// "2 (LCALL) + 2 x 1 (MOV) + ..." as terms: the counts and times, the names left out.
std::vector<std::string> sumTerms(const std::string& sum) {
    std::vector<std::string> terms;
    std::size_t at = 0;
    while (at < sum.size()) {
        const std::size_t end = sum.find(" + ", at);
        std::string part = sum.substr(at, end == std::string::npos ? std::string::npos : end - at);
        part = part.substr(0, part.find(" ("));
        if (!terms.empty())
            terms.emplace_back("+");
        if (const std::size_t times = part.find(" x "); times != std::string::npos)
            terms.insert(terms.end(), {part.substr(0, times), "×", part.substr(times + 3)});
        else
            terms.push_back(part);
        at = end == std::string::npos ? sum.size() : end + 3;
    }
    return terms;
}

} // namespace

namespace {

// "R7 = 113，R6 = 20": a delay's loop counts, innermost first.
std::string loopCounts(const DelayLoops& loops) {
    std::string text;
    for (std::size_t level = 0; level < loops.counts.size(); ++level)
        text +=
            (text.empty() ? "" : "，") + loops.registers[level] + " 为 " + num(loops.counts[level]);
    return text;
}

// Each level's DJNZ runs once a count of its own and again each time the one outside it runs:
// (runs of the next level − 1) × 256 + its count, from the outermost, which runs its count.
void loopRuns(Working& working, const DelayLoops& loops) {
    for (std::size_t level = loops.counts.size() - 1; level-- > 0;) {
        const std::string outer = loops.registers[level + 1];
        working.steps.push_back({"DJNZ " + loops.registers[level] + " 的次数 = (DJNZ " + outer +
                                     " 的次数 − 1) × 256 + " + loops.registers[level],
                                 {"(", num(loops.runs[level + 1]), "−", "1", ")", "×", "256", "+",
                                  num(loops.counts[level])},
                                 Rounding::Exact,
                                 num(loops.runs[level])});
    }
}

std::string padChoice(const DelayLoops& loops) {
    return (loops.padLoop > 0 ? "R0 为 " + num(loops.padLoop) + " 的短循环，" : std::string()) +
           num(loops.nops) + " 个 NOP";
}

} // namespace

namespace {

// A delay paced by a timer: the clocks asked, what the entry and exit take, the counts the timer
// is left to count, and how they are made of its overflows.
Working timerDelayWorking(const DelayRequest& request, const DelayResult& result) {
    const std::string us = request.delayUs.text(9), f = request.crystalMhz.text(9),
                      d = num(request.clock);
    const DelayPacing& p = result.pacing;
    const bool perStep = request.kind == DelayKind::PerStep;
    Working working{
        "计算过程：定时器延时",
        {chipLine(request.family, request.clock),
         (perStep ? "每一步 t = " : "延时 t = ") + us + " µs，晶体频率 f = " + f + " MHz",
         "方法：数定时器 " + num(request.timer) + " 的溢出，每个计数 D = " + d + " 个时钟"},
        {},
        {}};
    const std::vector<std::string> parts = sumTerms(result.fixed.terms);
    if (parts.size() == 3) // the entry and exit, from the instructions' times in the header
        working.given.push_back("调用到定时器启动 " + parts[0] + "，最后一次溢出到 RET " +
                                parts[2] + (result.unitClocks > 1 ? " 个机器周期" : " 个时钟"));
    working.steps.push_back(decimalStep("要的时钟数 = t × f", {us, "×", f}, result.askedClocks, 9));
    const std::string asked = result.askedClocks.text(9);
    const std::string counts = num(result.chain.units);
    if (result.fixed.units > 0 && p.lateBits == 0) { // counted in clocks, the timer slower
        working.steps.push_back({"调用、设置和返回", sumTerms(result.fixed.terms), Rounding::Exact,
                                 num(result.fixed.units)});
        working.steps.push_back({"定时器要数的计数 K = (时钟数 − 调用、设置和返回) ÷ D",
                                 {"(", asked, "−", num(result.fixed.units), ")", "÷", d},
                                 Rounding::ToEven,
                                 counts});
    } else if (result.fixed.units > 0) { // the entry and exit counted, in the core's units
        const std::string units = num(result.units);
        std::string whole = asked;
        if (result.unitClocks > 1) {
            const Exact cycles = result.askedClocks / Exact(result.unitClocks);
            working.steps.push_back(
                decimalStep("要的机器周期数 = 时钟数 ÷ D", {asked, "÷", d}, cycles, 9));
            whole = cycles.text(9);
        }
        if (Exact::parse(whole) != Exact(result.units))
            working.steps.push_back({"取整", {whole}, Rounding::ToEven, units});
        working.steps.push_back({"调用、设置和返回", sumTerms(result.fixed.terms), Rounding::Exact,
                                 num(result.fixed.units)});
        working.steps.push_back(
            {"定时器要数的计数 K", {units, "−", num(result.fixed.units)}, Rounding::Exact, counts});
    } else {
        const Exact exact = result.askedClocks / Exact(request.clock);
        working.steps.push_back(
            decimalStep(perStep ? "每步的计数 = 时钟数 ÷ D" : "定时器要数的计数 = 时钟数 ÷ D",
                        {asked, "÷", d}, exact, 9));
        if (exact.denominator() != 1 || Exact(result.chain.units) != exact)
            working.steps.push_back(
                {"取整", {exact.text(9)}, Rounding::ToEven, num(*exact.roundedToEven())});
    }
    if (perStep) {
        working.steps.push_back({"每步的溢出（能整除的最长周期）",
                                 {},
                                 Rounding::Exact,
                                 num(p.overflows) + " 次，每次 " + num(p.period) + " 个计数"});
        working.steps.push_back({"每步的计数 = 次数 × 周期",
                                 {num(p.overflows), "×", num(p.period)},
                                 Rounding::Exact,
                                 counts});
    } else {
        working.steps.push_back({"溢出",
                                 {},
                                 Rounding::Exact,
                                 num(p.overflows) + " 次，第一次 " + num(p.first) +
                                     " 个计数，其后每次 " + num(p.period) + " 个"});
        working.steps.push_back(
            {"K = 第一次 + (次数 − 1) × 周期",
             {num(p.first), "+", "(", num(p.overflows), "−", "1", ")", "×", num(p.period)},
             Rounding::Exact,
             counts});
    }
    // The clocks: the machine cycles' or clocks' whole where the entry and exit are counted,
    // else the counts' alone.
    const std::string fixed = num(result.fixed.units);
    const bool counted = result.fixed.units > 0;
    std::vector<std::string> clocks{counts, "×", d};
    if (counted && result.unitClocks > 1)
        clocks = {num(result.units), "×", num(result.unitClocks)};
    else if (counted)
        clocks = result.units == result.fixed.units + result.chain.units
                     ? std::vector<std::string>{fixed, "+", counts}
                     : std::vector<std::string>{fixed, "+", counts, "×", d};
    working.steps.push_back({"时钟数", clocks, Rounding::Exact, num(result.clocks)});
    working.steps.push_back(decimalStep("实际延时 = 时钟数 ÷ f", {num(result.clocks), "÷", f},
                                        result.achievedUs, 3, "µs"));
    working.steps.push_back(decimalStep(
        "误差 = t − 时钟数 ÷ f", {us, "−", num(result.clocks), "÷", f}, result.errorUs, 3, "µs"));
    working.notes.push_back("各部分：" + result.working);
    if (perStep)
        working.notes.push_back("每次调用另加：" + result.sdccCall.working + "（SDCC）；" +
                                result.keilCall.working + "（Keil C51）");
    if (p.slackClocks > 0)
        working.notes.push_back("最多还可能多 " + num(p.slackClocks) + " 个时钟" +
                                (p.earlyClocks > 0 ? "，或少 " + num(p.earlyClocks) + " 个" : "") +
                                "（见代码的头部）。");
    if (const std::string_view source = timingSource(request.family); !source.empty())
        working.notes.push_back("时间取自 " + std::string(source) + "。");
    return working;
}

} // namespace

Working waveWorking(const WaveRequest& request, const WaveWay& way) {
    const std::string f = request.crystalMhz.text(9), asked = request.frequencyHz.text(9);
    const std::int64_t range = countsOf(way.kind);
    // The 8052's clock-out counts at Fosc / 2; every other way at the timer clock.
    const ClockOutput* output = nullptr;
    for (const ClockOutput& each : request.family.clockOutputs)
        output = way.clockOutput && each.timer == way.timer ? &each : output;
    const std::int32_t perCount =
        output && output->clocksACount != 0 ? output->clocksACount : request.clock;
    Working working{"计算过程：方波",
                    {chipLine(request.family, request.clock),
                     "方法：" + way.label + "，引脚 " + way.pin,
                     "晶体频率 f = " + f + " MHz，要求的频率 " + asked + " Hz",
                     "公式：频率 = 计数频率 ÷ 2 ÷ 半周期的计数，计数频率 = f ÷ 每个计数的时钟数 " +
                         num(perCount)},
                    {},
                    {}};
    const Exact rate = request.crystalMhz * Exact(1'000'000) / Exact(perCount);
    const std::string r = rate.text(9);
    working.steps.push_back(
        decimalStep("计数频率", {f, "×", "1000000", "÷", num(perCount)}, rate, 9, "Hz"));
    if (!way.problem.empty()) {
        working.notes.push_back(way.problem + "。");
        return working;
    }
    const Exact exact = rate / Exact(2) / request.frequencyHz;
    working.steps.push_back(
        decimalStep("半周期的计数 = 计数频率 ÷ 2 ÷ 频率", {r, "÷", "2", "÷", asked}, exact, 9));
    chooseCount(working, exact, way.counts, range, {r, "÷", "2", "÷"}, asked, "频率",
                "计数频率 ÷ 2 ÷ ");
    working.steps.push_back({"重装值 = " + num(range) + " − 计数",
                             {num(range), "−", num(way.counts)},
                             Rounding::Exact,
                             num(way.reload)});
    working.steps.push_back(
        {"十六进制", {num(way.reload)}, Rounding::Exact, hexText(way.reload, range > 256 ? 4 : 2)});
    const std::vector<std::string> achieved{r, "÷", "2", "÷", num(way.counts)};
    working.steps.push_back({"实际频率 = 计数频率 ÷ 2 ÷ 计数", achieved, Rounding::HalfAway,
                             way.achievedHz.fixed(3), "Hz"});
    std::vector<std::string> error{"("};
    error.insert(error.end(), achieved.begin(), achieved.end());
    error.insert(error.end(), {"−", asked, ")", "÷", asked, "×", "100"});
    working.steps.push_back({"误差 = (实际 − 要求) ÷ 要求 × 100", error, Rounding::HalfAway,
                             signedText(way.errorPercent, 3), "%"});
    if (way.tie)
        working.notes.push_back("两侧的计数得到的频率离要求一样近：取了较短的计数。");
    if (way.drifts)
        working.notes.push_back(
            "中断里重装，1T 核上重装时定时器停下的几个时钟不计入：每半个周期略长。");
    return working;
}

Working delayWorking(const DelayRequest& request, const DelayResult& result) {
    if (request.timer >= 0)
        return timerDelayWorking(request, result);
    const std::string us = request.delayUs.text(9), f = request.crystalMhz.text(9),
                      d = num(result.unitClocks), units = num(result.units);
    const bool cycles = result.unitClocks > 1; // a classic core's sums count machine cycles
    const std::string unit = cycles ? "机器周期" : "时钟";
    std::string times;
    for (const auto& [name, time] : result.times)
        times += (times.empty() ? "" : "，") + name + " " + num(time);
    Working working{"计算过程：软件延时",
                    {chipLine(request.family, request.clock),
                     (request.kind == DelayKind::Fixed ? "延时 t = " : "每一步 t = ") + us +
                         " µs，晶体频率 f = " + f + " MHz",
                     "指令时间（" + unit + "）：" + times},
                    {},
                    {}};
    working.steps.push_back(decimalStep("要的时钟数 = t × f", {us, "×", f}, result.askedClocks, 9));
    std::string asked = result.askedClocks.text(9);
    if (cycles) {
        const Exact perCycle = result.askedClocks / Exact(result.unitClocks);
        working.steps.push_back(
            decimalStep("要的机器周期数 = 时钟数 ÷ D", {asked, "÷", d}, perCycle, 9));
        asked = perCycle.text(9);
    }
    if (Exact::parse(asked) != Exact(result.units))
        working.steps.push_back({"取整", {asked}, Rounding::ToEven, units});
    const std::string fixed = num(result.fixed.units);
    working.steps.push_back(
        {request.kind == DelayKind::Fixed ? "调用和返回（LCALL、RET）" : "每步的计数和跳转",
         sumTerms(result.fixed.terms), Rounding::Exact, fixed});
    const std::string loops = num(result.units - result.fixed.units);
    working.steps.push_back(
        {"留给循环的" + unit + "数", {units, "−", fixed}, Rounding::Exact, loops});
    const bool chained = !result.chain.terms.empty(), padded = !result.pad.terms.empty();
    if (chained) {
        working.steps.push_back({"循环计数（内层在前；每层 1 到 256，256 装作 0；取放得进 " +
                                     loops + " 个" + unit + "的最大值）",
                                 {},
                                 Rounding::Exact,
                                 loopCounts(result.loops)});
        loopRuns(working, result.loops);
        working.steps.push_back(
            {"循环链", sumTerms(result.chain.terms), Rounding::Exact, num(result.chain.units)});
    }
    if (chained && padded)
        working.steps.push_back({"余下要补足的" + unit + "数",
                                 {loops, "−", num(result.chain.units)},
                                 Rounding::Exact,
                                 num(result.pad.units)});
    if (padded) {
        working.steps.push_back(
            {"补足（字节最少的一种）", {}, Rounding::Exact, padChoice(result.loops)});
        working.steps.push_back(
            {"补足", sumTerms(result.pad.terms), Rounding::Exact, num(result.pad.units)});
    }
    if (cycles)
        working.steps.push_back(
            {"时钟数 = 机器周期数 × D", {units, "×", d}, Rounding::Exact, num(result.clocks)});
    working.steps.push_back(decimalStep("实际延时 = 时钟数 ÷ f", {num(result.clocks), "÷", f},
                                        result.achievedUs, 3, "µs"));
    working.steps.push_back(decimalStep(
        "误差 = t − 时钟数 ÷ f", {us, "−", num(result.clocks), "÷", f}, result.errorUs, 3, "µs"));
    working.notes.push_back("层数的选法：几种层数中取代码字节最少的。");
    working.notes.push_back("各条指令：" + result.working);
    working.notes.push_back("时间取自 " + std::string(timingSource(request.family)) + "。");
    if (!request.family.classicCycle)
        working.notes.push_back(
            "厂商对跳转指令只给一个时间，不论跳不跳；时钟数是厂商的数字，不是这里测的。");
    return working;
}

} // namespace tickora
