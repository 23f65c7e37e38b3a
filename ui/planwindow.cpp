#include "planwindow.h"

#include "calcpass.h"

#include "baudrate.h"
#include "bounds.h"
#include "chipchoice.h"
#include "classicgroupbox.h"
#include "codelanguagechoice.h"
#include "registers.h"
#include "timerclaims.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace tickora {
namespace {

QString hexText(std::int64_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

std::optional<int> parseHex(const QString& text, int maximum) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 16);
    return ok && value >= 0 && value <= maximum ? std::optional(value) : std::nullopt;
}

} // namespace

PlanWindow::PlanWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
                       NumberText numbers, QWidget* parent)
    : ToolWindow("PlanWindow", QStringLiteral("定时方案"), layout::plan::client, parent)
    , numbers_(std::move(numbers)) {
    createInputs();
    createTable();
    createReadBack();
    copyAction_ = createMenu(QStringLiteral("复制代码(&C)"), [this] { copyChosen(); });
    intervalBox->setText(QStringLiteral("1"));
    unitBox->setCurrentIndex(2);
    follow(crystalText, family, clock);
    connectEvents();
    recalculate();
    intervalBox->setFocus();
}

// Created in tab order: each box, then the label that names it.
void PlanWindow::createInputs() {
    namespace at = layout::plan;
    const TimeInputs inputs = createTimeInputs("intervalBox", QStringLiteral("定时时间(&I):"));
    intervalBox = inputs.time, unitBox = inputs.unit, crystalBox = inputs.crystal;
    createWorkingButton(layout::workingButton::timeRow);
    noteLabel = layout::place(new QLabel(client()), "noteLabel", at::note);
}

void PlanWindow::createTable() {
    planTable = ToolWindow::createTable(
        "planTable", 6, layout::plan::table,
        {QStringLiteral("定时器"), QStringLiteral("每次计数"), QStringLiteral("重装值"),
         QStringLiteral("次数"), QStringLiteral("误差(uS，要求−实际)"), QStringLiteral("周期")});
    planTable->horizontalHeaderItem(4)->setToolTip(QStringLiteral("误差 = 要求 − 实际"));
    // A line of text and a little air a row: five plans or more in view, the last ranked among
    // them on most chips.
    planTable->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    planTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    planTable->setAccessibleName(QStringLiteral("定时方案表"));
    detailLabel = layout::place(new QLabel(client()), "detailLabel", layout::plan::detail);
    const CodeControls code = createCodeRow(layout::plan::code, QStringLiteral("复制代码(&C)"));
    copyButton = code.copy;
    clashLabel = code.clash;
}

// What a timer's bytes time, and what a generator's reload gives as a baud rate.
void PlanWindow::createReadBack() {
    namespace at = layout::plan;
    auto* group = layout::place(new ClassicGroupBox(QStringLiteral("读回寄存器"), client()),
                                "readBackGroup", at::readBack);
    readModeBox = layout::place(new QComboBox(group), "readModeBox", at::mode);
    createLabel("readModeLabel", QStringLiteral("定时器(&D):"), at::modeLabel, readModeBox);
    highBox = createInputBox(group, "highBox", at::high);
    createLabel("highLabel", QStringLiteral("高字节(&H):"), at::highLabel, highBox);
    lowBox = createInputBox(group, "lowBox", at::low);
    createLabel("lowLabel", QStringLiteral("低字节(&L):"), at::lowLabel, lowBox);
    readResult = layout::place(new QLabel(group), "readResult", at::readResult);
    readGeneratorBox = layout::place(new QComboBox(group), "readGeneratorBox", at::generator);
    createLabel("readGeneratorLabel", QStringLiteral("发生器(&G):"), at::generatorLabel,
                readGeneratorBox);
    baudReloadBox = createInputBox(group, "baudReloadBox", at::reload);
    createLabel("baudReloadLabel", QStringLiteral("重装值(&R):"), at::reloadLabel, baudReloadBox);
    baudResult = layout::place(new QLabel(group), "baudResult", at::baudResult);
    highBox->setText(QStringLiteral("FC"));
    lowBox->setText(QStringLiteral("18"));
    baudReloadBox->setText(QStringLiteral("FD"));
}

void PlanWindow::connectEvents() {
    for (QLineEdit* box : {intervalBox, crystalBox})
        connect(box, &QLineEdit::textChanged, this, &PlanWindow::recalculate);
    for (QLineEdit* box : {highBox, lowBox, baudReloadBox})
        connect(box, &QLineEdit::textChanged, this, &PlanWindow::readBack);
    for (QComboBox* box : {readModeBox, readGeneratorBox})
        connect(box, &QComboBox::currentIndexChanged, this, &PlanWindow::readBack);
    connect(unitBox, &QComboBox::currentIndexChanged, this, &PlanWindow::recalculate);
    connect(planTable, &QTableWidget::itemSelectionChanged, this, &PlanWindow::showChosen);
    connect(copyButton, &QPushButton::clicked, this, &PlanWindow::copyChosen);
}

// The chip's timers in the read-back lists; the plans anew.
void PlanWindow::follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) {
    if (numbers_.parseSingle(crystalText))
        crystalBox->setText(crystalText);
    showChip(family, clock);
    const QSignalBlocker quietModes(readModeBox), quietGenerators(readGeneratorBox);
    readModeBox->clear();
    const QString kinds[] = {QStringLiteral("13 位"), QStringLiteral("16 位"),
                             QStringLiteral("16 位自动重装"), QStringLiteral("8 位自动重装")};
    for (int mode = 0; mode < 3; ++mode)
        readModeBox->addItem(
            QStringLiteral("方式 %1：%2").arg(mode).arg(kinds[int(family.modes[mode].kind)]),
            int(family.modes[mode].kind));
    for (const TickTimer& timer : family.tickTimers)
        if (timer.timer == 2)
            readModeBox->addItem(toQString(timer.label), int(timer.kind));
    readModeBox->setCurrentIndex(1);
    readGeneratorBox->clear();
    for (const BaudGenerator& generator : family.generators)
        readGeneratorBox->addItem(toQString(generator.label));
    recalculate();
}

std::optional<Exact> PlanWindow::crystalMhz() const {
    const NumberText::Bounded crystal = numbers_.parseCrystal(crystalBox->text());
    return crystal.problem.isEmpty() ? std::optional(crystal.value) : std::nullopt;
}

// The interval as typed, number or not: the plans' own check words what is wrong with it, as
// on the command line.
std::optional<PlanRequest> PlanWindow::request() const {
    const auto crystal = crystalMhz();
    if (!crystal)
        return std::nullopt;
    return PlanRequest{numbers_.parseTime(intervalBox->text(), unitBox->currentData().toLongLong()),
                       *crystal, family(), timerClock()};
}

void PlanWindow::recalculate() {
    const auto asked = request();
    const QString problem = asked ? toQString(planProblem(*asked)) : QString();
    plans_ = asked && problem.isEmpty() ? planInterval(*asked) : std::vector<TickPlan>{};
    // A plan on a timer another window's code holds cannot be used beside it: ranked last.
    rankedAround_ = heldTimers();
    std::stable_partition(plans_.begin(), plans_.end(), [this](const TickPlan& plan) {
        return (rankedAround_ >> plan.timer->timer & 1u) == 0;
    });
    planTable->setRowCount(static_cast<int>(plans_.size()));
    for (int row = 0; row < planTable->rowCount(); ++row)
        showPlan(row, plans_[static_cast<std::size_t>(row)]);
    noteLabel->setText(!asked               ? numbers_.parseCrystal(crystalBox->text()).problem
                       : !problem.isEmpty() ? problem
                       : plans_[0].exact    ? QStringLiteral("精确方案在前")
                                         : QStringLiteral("没有精确方案：误差最小的在前"));
    fitColumns(planTable, layout::plan::columnTwips);
    // The plan ranked first is chosen: copying it needs no click.
    planTable->clearSelection();
    if (!plans_.empty())
        planTable->selectRow(0);
    showChosen();
    readBack();
}

// The chosen plan's other figures below the table; copying only with a plan chosen.
void PlanWindow::showChosen() {
    const int row = chosenRow();
    copyButton->setEnabled(row >= 0);
    copyAction_->setEnabled(row >= 0);
    claimTimer(row >= 0 ? plans_[static_cast<std::size_t>(row)].timer->timer : -1);
    refreshWorking();
    if (row < 0) {
        detailLabel->clear();
        return;
    }
    const TickPlan& plan = plans_[static_cast<std::size_t>(row)];
    const Exact ppm = plan.errorUs / (plan.achievedUs + plan.errorUs) * Exact(1'000'000);
    detailLabel->setText(
        QStringLiteral("实际 %1 uS，误差 %2 ppm，中断 %3 Hz")
            .arg(numbers_.localized(plan.achievedUs.fixed(3), false),
                 (plan.lateReload ? QStringLiteral("≤ ") : QString()) +
                     numbers_.localizedSigned(ppm.fixed(1)),
                 numbers_.localized((Exact(1'000'000) / plan.tickUs).fixed(3), false)));
}

// The chosen plan's figures from the interval and crystal, and why it ranks where it does.
QString PlanWindow::currentWorking() const {
    const int row = chosenRow();
    const auto asked = request();
    if (row < 0 || !asked)
        return noteLabel->text().isEmpty() ? QStringLiteral("请先选择一个方案") : noteLabel->text();
    const TickPlan& plan = plans_[static_cast<std::size_t>(row)];
    return workingQText(
        planWorking(*asked, plan, row + 1, (rankedAround_ >> plan.timer->timer & 1u) != 0),
        numbers_);
}

unsigned PlanWindow::heldTimers() const {
    unsigned held = 0;
    for (const TickTimer& timer : family().tickTimers)
        if (!TimerClaims::shared().holder(this, family(), timer.timer).isEmpty())
            held |= 1u << timer.timer;
    return held;
}

int PlanWindow::chosenRow() const {
    return planTable->selectionModel()->hasSelection() ? planTable->currentRow() : -1;
}

// Ranked again when another window takes or frees a timer; else only the warning follows.
void PlanWindow::claimsChanged() {
    if (heldTimers() != rankedAround_)
        return recalculate();
    const int row = chosenRow();
    clashLabel->setText(row >= 0 ? clashWith(plans_[static_cast<std::size_t>(row)].timer->timer)
                                 : QString());
}

// A plan whose routine reloads late shows what its counts give: its real error is more negative
// by a few clocks a tick, hence "≤".
void PlanWindow::showPlan(int row, const TickPlan& plan) {
    const QString atMost = plan.lateReload ? QStringLiteral("≤ ") : QString();
    const QString period = reloadsItself(plan.timer->kind) ? QStringLiteral("自动重装")
                           : plan.lateReload               ? QStringLiteral("每次略长")
                                                           : QStringLiteral("补偿重装");
    const QStringList cells{toQString(plan.timer->label),
                            toQString(countsText(plan)),
                            hexText(plan.reload, plan.timer->kind == TimerKind::Reload8 ? 2 : 4),
                            QString::number(plan.ticks),
                            atMost + numbers_.localizedSigned(plan.errorUs.fixed(3)),
                            period};
    for (int column = 0; column < cells.size(); ++column)
        planTable->setItem(row, column, new QTableWidgetItem(cells[column]));
}

// The interval a timer's bytes time and how often it overflows; the rate a reload gives.
void PlanWindow::readBack() {
    const auto crystal = crystalMhz();
    const auto kind = TimerKind(readModeBox->currentData().toInt());
    const auto high = parseHex(highBox->text(), 0xFF), low = parseHex(lowBox->text(), 0xFF);
    const std::int32_t value =
        high && low ? valueOfRegisters(std::uint8_t(*high), std::uint8_t(*low), kind) : -1;
    if (crystal && value >= 0 && value < countsOf(kind)) {
        const Exact us = intervalOfValue(value, kind, *crystal, timerClock());
        readResult->setText(QStringLiteral("计数 %1，定时 %2 uS，溢出频率 %3 Hz")
                                .arg(countsOf(kind) - value)
                                .arg(numbers_.localized(us.fixed(3), false),
                                     numbers_.localized((Exact(1'000'000) / us).fixed(3), false)));
    } else
        readResult->setText(QStringLiteral("请输入十六进制的字节 (00 到 FF) 和有效的晶体频率"));
    const int generator = readGeneratorBox->currentIndex();
    const auto reload =
        generator < 0 ? std::nullopt
                      : parseHex(baudReloadBox->text(),
                                 (1 << family().generators[std::size_t(generator)].reloadBits) - 1);
    baudResult->setText(crystal && reload
                            ? QStringLiteral("%1 波特").arg(numbers_.localized(
                                  baudOfReload(family().generators[std::size_t(generator)],
                                               *crystal, timerClock(), *reload)
                                      .fixed(1),
                                  false))
                            : QStringLiteral("重装值无效"));
}

void PlanWindow::copyChosen() {
    const int row = chosenRow();
    const auto asked = request();
    if (row < 0 || !asked) {
        noteLabel->setText(QStringLiteral("请先在表中选择一个方案"));
        return;
    }
    const TickPlan& plan = plans_[static_cast<std::size_t>(row)];
    const CodeLanguage language = CodeLanguageChoice::language();
    const auto code = tickPlanCode(plan, *asked, language);
    if (!code) {
        const std::string problem = languageProblem(family(), language);
        noteLabel->setText(toQString(problem.empty() ? planCodeProblem(plan) : problem));
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(*code));
    noteLabel->setText(QStringLiteral("已复制%1的%2代码")
                           .arg(toQString(plan.timer->label),
                                language == CodeLanguage::C ? QString() : QStringLiteral("汇编")));
}

} // namespace tickora
