#include "delaywindow.h"

#include "calcpass.h"

#include "codelanguagechoice.h"
#include "qtext.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tickora {
DelayWindow::DelayWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
                         NumberText numbers, QWidget* parent)
    : ToolWindow("DelayWindow", QStringLiteral("软件延时计算"), layout::delay::client, parent)
    , numbers_(std::move(numbers)) {
    createInputs();
    createButtons();
    copyAction_ = createMenu(QStringLiteral("复制代码(&C)"), [this] { copyDelay(); });
    delayBox->setText(QStringLiteral("10"));
    unitBox->setCurrentIndex(1);
    follow(crystalText, family, clock);
    connectEvents();
    recalculate();
    delayBox->setFocus();
}

// Created in tab order: each box, then the label that names it.
void DelayWindow::createInputs() {
    namespace at = layout::delay;
    const TimeInputs inputs = createTimeInputs("delayBox", QStringLiteral("延时时间(&I):"));
    delayBox = inputs.time, unitBox = inputs.unit, crystalBox = inputs.crystal;
    createWorkingButton(layout::workingButton::timeRow);
    kindBox = layout::place(new QComboBox(client()), "kindBox", at::kind);
    kindBox->addItem(QStringLiteral("固定延时"), int(DelayKind::Fixed));
    kindBox->addItem(QStringLiteral("按参数 n，每步这么长"), int(DelayKind::PerStep));
    createLabel("kindLabel", QStringLiteral("形式(&S):"), at::kindLabel, kindBox);
    methodBox = layout::place(new QComboBox(client()), "methodBox", at::method);
    createLabel("methodLabel", QStringLiteral("方法(&D):"), at::methodLabel, methodBox);
    workingLabel = layout::place(new QLabel(client()), "workingLabel", at::working);
    workingLabel->setWordWrap(true);
    workingLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    workingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    noteLabel = layout::place(new QLabel(client()), "noteLabel", at::note);
}

void DelayWindow::createButtons() {
    namespace at = layout::delay;
    const CodeControls code = createCodeRow(layout::delay::code, QStringLiteral("复制代码(&C)"));
    copyButton = code.copy;
    clashLabel = code.clash;
}

void DelayWindow::connectEvents() {
    for (QLineEdit* box : {delayBox, crystalBox})
        connect(box, &QLineEdit::textChanged, this, &DelayWindow::recalculate);
    for (QComboBox* box : {unitBox, kindBox, methodBox})
        connect(box, &QComboBox::currentIndexChanged, this, &DelayWindow::recalculate);
    // The cost of a call by argument is the calling convention's: the language's.
    connect(&CodeLanguageChoice::instance(), &CodeLanguageChoice::chosen, this,
            &DelayWindow::recalculate);
    connect(copyButton, &QPushButton::clicked, this, &DelayWindow::copyDelay);
}

// Loops and each timer the chip can pace a delay with, side by side; the one chosen stays where
// the new chip has it.
void DelayWindow::follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) {
    if (numbers_.parseSingle(crystalText))
        crystalBox->setText(crystalText);
    showChip(family, clock);
    const QSignalBlocker quiet(methodBox);
    const QVariant before = methodBox->currentData();
    methodBox->clear();
    methodBox->addItem(QStringLiteral("循环"), -1);
    for (const int timer : delayTimers(family))
        methodBox->addItem(QStringLiteral("定时器 %1").arg(timer), timer);
    methodBox->setCurrentIndex(std::max(0, methodBox->findData(before)));
    recalculate();
}

// The delay as typed, number or not: the delay's own check words what is wrong with it, as on
// the command line.
std::optional<DelayRequest> DelayWindow::request() const {
    const NumberText::Bounded crystal = numbers_.parseCrystal(crystalBox->text());
    if (!crystal.problem.isEmpty())
        return std::nullopt;
    return DelayRequest{numbers_.parseTime(delayBox->text(), unitBox->currentData().toLongLong()),
                        crystal.value,
                        family(),
                        timerClock(),
                        DelayKind(kindBox->currentData().toInt()),
                        methodBox->currentData().toInt()};
}

// Each figure as the unit's header prints it, the sums word for word.
QString DelayWindow::workingText(const DelayRequest& asked, const DelayResult& result) const {
    const bool perStep = asked.kind == DelayKind::PerStep;
    const CodeLanguage language = CodeLanguageChoice::language();
    QStringList registers;
    for (const std::string& name : result.registers)
        registers << toQString(name);
    QStringList lines{
        toQString("void " + result.name + (perStep ? "(unsigned int n)" : "(void)")),
        QStringLiteral("%1 %2 uS（%3 个时钟），误差（要求 − 实际）%4 uS，%5 个时钟")
            .arg(perStep ? QStringLiteral("每步") : QStringLiteral("实际"),
                 numbers_.localized(result.achievedUs.text(3), false))
            .arg(result.clocks)
            .arg(numbers_.localized(result.errorUs.text(3), false),
                 numbers_.localized((result.askedClocks - Exact(result.clocks)).text(3), false)),
        (perStep ? QStringLiteral("每步：") : QStringLiteral("计算：")) +
            toQString(result.working)};
    if (perStep) {
        const DelayCall& call = result.call(language);
        lines << QStringLiteral("每次调用另加：") + toQString(call.working) +
                     QStringLiteral("；n = 0 时立即返回，共 %1 个时钟").arg(call.zeroClocks);
    }
    lines << QStringLiteral("%1 字节代码，用到 %2；延时中发生的中断会使它变长")
                 .arg(delayBytes(asked, result, language))
                 .arg(registers.join(QStringLiteral("、")));
    return lines.join(QLatin1Char('\n'));
}

void DelayWindow::recalculate() {
    if (kindBox == nullptr || copyAction_ == nullptr || methodBox->count() == 0)
        return; // still being made
    auto asked = request();
    // Where the core's times are not known loops cannot be made: the first timer serves, said.
    QString instead;
    if (asked && asked->timer < 0 && methodBox->count() > 1 && !asked->family.classicCycle &&
        asked->family.core == nullptr) {
        const QSignalBlocker quiet(methodBox);
        methodBox->setCurrentIndex(1);
        instead = QStringLiteral("该芯片的 1T 内核指令时间未知，不能用循环：已改用%1")
                      .arg(methodBox->currentText());
        asked.emplace(*request()); // the same inputs, by the timer
    }
    const auto result = asked ? planDelay(*asked) : std::nullopt;
    workingLabel->setText(result ? workingText(*asked, *result) : QString());
    noteLabel->setText(result  ? instead
                       : asked ? toQString(delayProblem(*asked))
                               : numbers_.parseCrystal(crystalBox->text()).problem);
    copyButton->setEnabled(result.has_value());
    copyAction_->setEnabled(result.has_value());
    claimTimer(result ? asked->timer : -1);
    refreshWorking();
}

void DelayWindow::claimsChanged() {
    clashLabel->setText(clashWith(methodBox->currentData().toInt()));
}

// The loop sum and the figures that follow from it, or why there is no delay.
QString DelayWindow::currentWorking() const {
    const auto asked = request();
    const auto result = asked ? planDelay(*asked) : std::nullopt;
    return result ? workingQText(delayWorking(*asked, *result), numbers_) : noteLabel->text();
}

// The delay's unit in the language chosen, to the clipboard, said in the window.
void DelayWindow::copyDelay() {
    const auto asked = request();
    const auto result = asked ? planDelay(*asked) : std::nullopt;
    const CodeLanguage language = CodeLanguageChoice::language();
    if (!result || !languageProblem(family(), language).empty()) {
        noteLabel->setText(result ? toQString(languageProblem(family(), language))
                                  : QStringLiteral("没有可复制的延时"));
        return;
    }
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(delayCode(*asked, *result, language)));
    noteLabel->setText(QStringLiteral("已复制 %1 的%2代码")
                           .arg(toQString(result->name), language == CodeLanguage::C
                                                             ? QStringLiteral(" C ")
                                                             : QStringLiteral("汇编")));
}

} // namespace tickora
