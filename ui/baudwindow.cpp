#include "baudwindow.h"

#include "calcpass.h"

#include "bounds.h"
#include "chipchoice.h"
#include "codelanguagechoice.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace tickora {
namespace {

const QColor unreliableBackground(0xFF, 0xD8, 0xD8);

} // namespace

BaudWindow::BaudWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
                       NumberText numbers, QWidget* parent)
    : ToolWindow("BaudWindow", QStringLiteral("波特率计算"), layout::baud::client, parent)
    , numbers_(std::move(numbers))
    , client_(client()) {
    createInputs();
    createTable();
    createButtons();
    copyAction_ = createMenu(QStringLiteral("复制初始化代码(&C)"), [this] { copyButton_Click(); });
    customRateBox->setText(QStringLiteral("28800"));
    follow(crystalText, family, clock);
    connectEvents();
    recalculate();
    crystalBox->setFocus();
}

void BaudWindow::follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) {
    if (numbers_.parseSingle(crystalText))
        crystalBox->setText(crystalText);
    chooseChip(family, clock);
}

// Created in tab order: each box, then the label that names it.
void BaudWindow::createInputs() {
    namespace at = layout::baud;
    crystalBox = createInputBox(client_, "crystalBox", at::crystal);
    createLabel("crystalLabel", QStringLiteral("晶体频率(MHz)(&M):"), at::crystalLabel, crystalBox);
    createLabel("chipLabel", QStringLiteral("芯片(&K):"), at::chipLabel, createChipBox(at::chip));
    generatorBox = layout::place(new QComboBox(client_), "generatorBox", at::generator);
    createLabel("generatorLabel", QStringLiteral("波特率发生器(&G):"), at::generatorLabel,
                generatorBox);
    customRateBox = createInputBox(client_, "customRateBox", at::customRate);
    createLabel("customRateLabel", QStringLiteral("自定义波特率(&B):"), at::customRateLabel,
                customRateBox);
    createWorkingButton(layout::workingButton::baud);
    noteLabel = layout::place(new QLabel(client_), "noteLabel", at::note);
}

void BaudWindow::createTable() {
    rateTable = ToolWindow::createTable("rateTable", 5, layout::baud::table,
                                        {QStringLiteral("波特率"), QStringLiteral("重装值"),
                                         QStringLiteral("实际"), QStringLiteral("误差"),
                                         QStringLiteral("说明")});
    rateTable->setRowCount(rows);
    rateTable->horizontalHeaderItem(3)->setToolTip(QStringLiteral("误差 = (实际 − 要求) / 要求"));
    // Every row in view at once: the height of a line of text and a little air.
    rateTable->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    rateTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    rateTable->setAccessibleName(QStringLiteral("波特率表"));
}

void BaudWindow::createButtons() {
    const CodeControls code =
        createCodeRow(layout::baud::code, QStringLiteral("复制初始化代码(&C)"));
    copyButton = code.copy;
    // Enter is ours (keyPressEvent): it calculates, and copies only from this button.
    copyButton->setAutoDefault(false);
    clashLabel = code.clash;
}

void BaudWindow::claimsChanged() {
    clashLabel->setText(generator() != nullptr ? clashWith(generator()->timer) : QString());
}

void BaudWindow::connectEvents() {
    connect(crystalBox, &QLineEdit::textChanged, this, &BaudWindow::recalculate);
    connect(generatorBox, &QComboBox::currentIndexChanged, this, &BaudWindow::recalculate);
    connect(customRateBox, &QLineEdit::textChanged, this, &BaudWindow::recalculate);
    connect(rateTable, &QTableWidget::itemSelectionChanged, this,
            &BaudWindow::rateTable_SelectionChanged);
    connect(copyButton, &QPushButton::clicked, this, &BaudWindow::copyButton_Click);
}

namespace {

// Every port's generators, UART1's first, as the generator box lists them.
std::vector<const BaudGenerator*> portGenerators(const ChipFamily& family) {
    std::vector<const BaudGenerator*> generators;
    for (const int uart : uartsOf(family))
        for (const BaudGenerator& generator : generatorsOf(family, uart))
            generators.push_back(&generator);
    return generators;
}

// "t2" for UART1's, "uart3/t2" for another port's: what stays chosen when the chip changes.
QString generatorKey(const BaudGenerator& generator) {
    return (generator.uart == 1 ? QString() : QStringLiteral("uart%1/").arg(generator.uart)) +
           toQString(generator.id);
}

} // namespace

// The chip's own generators, of every port; the one chosen before stays chosen when the new chip
// has it too.
void BaudWindow::chooseChip(const ChipFamily& family, std::int32_t clock) {
    showChip(family, clock);
    const QSignalBlocker quiet(generatorBox);
    const QVariant before = generatorBox->currentData();
    generatorBox->clear();
    for (const BaudGenerator* generator : portGenerators(family))
        generatorBox->addItem(toQString(portGeneratorLabel(*generator)), generatorKey(*generator));
    generatorBox->setCurrentIndex(std::max(0, generatorBox->findData(before)));
    recalculate();
}

const BaudGenerator* BaudWindow::generator() const {
    const int index = generatorBox->currentIndex();
    return index < 0 ? nullptr : portGenerators(family())[static_cast<std::size_t>(index)];
}

NumberText::Bounded BaudWindow::rateOfRow(int row) const {
    if (row < rows - 1)
        return {Exact(standardBaudRates[row]), {}};
    return numbers_.parseBaud(customRateBox->text());
}

// Every row again from the inputs; a row without a value says why in its remark.
void BaudWindow::recalculate() {
    if (generator() == nullptr)
        return; // still being filled
    const NumberText::Bounded crystal = numbers_.parseCrystal(crystalBox->text());
    crystalMhz_ = crystal.problem.isEmpty() ? std::optional(crystal.value) : std::nullopt;
    noteLabel->setText(crystalMhz_
                           ? QStringLiteral("误差 = (实际 − 要求) ÷ 要求，超过 ±2% 的行不可靠")
                           : crystal.problem);
    for (int row = 0; row < rows; ++row) {
        Row value{rateOfRow(row), std::nullopt};
        if (value.baud.problem.isEmpty() && crystalMhz_)
            value.setting = baudSetting(*generator(), *crystalMhz_, timerClock(), value.baud.value);
        showRow(row, value, remarkFor(value));
    }
    fitColumns(rateTable, layout::baud::columnTwips);
    claimTimer(generator()->timer);
    rateTable_SelectionChanged();
}

// Why a row has no usable value, and which generator of the same chip serves it instead.
QString BaudWindow::remarkFor(const Row& row) const {
    if (!crystalMhz_)
        return QStringLiteral("晶体频率无效");
    if (!row.baud.problem.isEmpty())
        return row.baud.problem;
    return QString::fromStdString(baudRemark(family(), *crystalMhz_, timerClock(), row.baud.value,
                                             row.setting, generator()->uart));
}

void BaudWindow::showRow(int row, const Row& value, const QString& remark) {
    rows_[row] = value;
    const auto& setting = value.setting;
    // A rate refused is not shown as a number: the remark says why.
    const bool rated = value.baud.problem.isEmpty();
    const bool unreachable = crystalMhz_ && rated && !setting;
    const QString none = QStringLiteral("—");
    const QStringList cells{
        rated ? numbers_.localized(value.baud.value.text(9), false) : QStringLiteral("自定义"),
        setting ? QStringLiteral("%1")
                      .arg(setting->reload, generator()->reloadBits / 4, 16, QLatin1Char('0'))
                      .toUpper()
        : unreachable ? QStringLiteral("无法实现")
                      : none,
        setting ? numbers_.localized(setting->actualBaud.fixed(1), false) : none,
        setting ? numbers_.localizedSigned(setting->errorPercent.fixed(2)) + QLatin1Char('%')
                : none,
        remark};
    const bool unreliable = setting && !isReliable(setting);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (unreliable)
            item->setBackground(unreliableBackground);
        rateTable->setItem(row, column, item);
    }
}

void BaudWindow::rateTable_SelectionChanged() {
    const int row = rateTable->currentRow();
    const bool copyable =
        row >= 0 && rateTable->selectionModel()->hasSelection() && rows_[row].setting.has_value();
    copyButton->setEnabled(copyable);
    copyAction_->setEnabled(copyable);
    refreshWorking();
}

// The chosen row's rate worked out from the crystal and the generator.
QString BaudWindow::currentWorking() const {
    const int row = rateTable->currentRow();
    if (row < 0 || !rateTable->selectionModel()->hasSelection())
        return QStringLiteral("请先在表中选择一行");
    const Row& value = rows_[row];
    if (!crystalMhz_ || !value.baud.problem.isEmpty())
        return remarkFor(value);
    return workingQText(
        baudWorking({family(), *generator(), *crystalMhz_, timerClock(), value.baud.value},
                    value.setting),
        numbers_);
}

void BaudWindow::copyButton_Click() {
    if (rateTable->selectionModel()->hasSelection())
        copyRow(rateTable->currentRow());
    else
        noteLabel->setText(QStringLiteral("请先在表中选择一行"));
}

// The row's uart_init(), in the language chosen, to the clipboard, said in the window with the rate
// it is for.
void BaudWindow::copyRow(int row) {
    const Row& value = rows_[row];
    if (!value.setting) {
        noteLabel->setText(QStringLiteral("这一行没有可用的重装值"));
        return;
    }
    const BaudRequest request{family(), *generator(), *crystalMhz_, timerClock(), value.baud.value};
    const CodeLanguage language = CodeLanguageChoice::language();
    const auto code = baudInitCode(request, *value.setting, language);
    if (!code) {
        noteLabel->setText(toQString(languageProblem(family(), language)));
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(*code));
    const QString copied =
        QStringLiteral("已复制 %1 波特的").arg(rateTable->item(row, 0)->text()) +
        (language == CodeLanguage::C
             ? QStringLiteral(" %1_init()").arg(toQString(portName(*generator())))
             : QStringLiteral("汇编代码"));
    noteLabel->setText(isReliable(value.setting) ? copied
                                                 : copied + QStringLiteral("，误差超过 ±2%"));
}

// Enter in the custom rate's box shows that row, its figures and working; copying is the
// button's.
void BaudWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == customRateBox)
        rateTable->selectRow(rows - 1);
    ToolWindow::keyPressEvent(event);
}

} // namespace tickora
