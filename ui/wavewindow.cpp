#include "wavewindow.h"

#include "calcpass.h"

#include "codelanguagechoice.h"
#include "qtext.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace tickora {

WaveWindow::WaveWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
                       NumberText numbers, QWidget* parent)
    : ToolWindow("WaveWindow", QStringLiteral("方波输出"), layout::wave::client, parent)
    , numbers_(std::move(numbers)) {
    createInputs();
    createTable();
    copyAction_ = createMenu(QStringLiteral("复制代码(&C)"), [this] { copyChosen(); });
    frequencyBox->setText(QStringLiteral("1"));
    unitBox->setCurrentIndex(1); // kHz
    follow(crystalText, family, clock);
    connectEvents();
    recalculate();
    frequencyBox->setFocus();
}

// Created in tab order: each box, then the label that names it.
void WaveWindow::createInputs() {
    const TimeInputs inputs = createTimeInputs("frequencyBox", QStringLiteral("频率(&F):"),
                                               {{QStringLiteral("Hz"), 1},
                                                {QStringLiteral("kHz"), 1000},
                                                {QStringLiteral("MHz"), 1'000'000}});
    frequencyBox = inputs.time, unitBox = inputs.unit, crystalBox = inputs.crystal;
    unitBox->setAccessibleName(QStringLiteral("频率单位"));
    createWorkingButton(layout::workingButton::timeRow);
    noteLabel = layout::place(new QLabel(client()), "noteLabel", layout::wave::note);
}

void WaveWindow::createTable() {
    namespace at = layout::wave;
    waveTable = ToolWindow::createTable("waveTable", 6, at::table,
                                        {QStringLiteral("方法"), QStringLiteral("重装值"),
                                         QStringLiteral("实际(Hz)"), QStringLiteral("误差(%)"),
                                         QStringLiteral("引脚"), QStringLiteral("说明")});
    waveTable->horizontalHeaderItem(3)->setToolTip(QStringLiteral("误差 = (实际 − 要求) / 要求"));
    waveTable->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    waveTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    waveTable->setAccessibleName(QStringLiteral("方波方法表"));
    detailLabel = layout::place(new QLabel(client()), "detailLabel", at::detail);
    const CodeControls code = createCodeRow(layout::wave::code, QStringLiteral("复制代码(&C)"));
    copyButton = code.copy;
    clashLabel = code.clash;
}

void WaveWindow::connectEvents() {
    for (QLineEdit* box : {frequencyBox, crystalBox})
        connect(box, &QLineEdit::textChanged, this, &WaveWindow::recalculate);
    connect(unitBox, &QComboBox::currentIndexChanged, this, &WaveWindow::recalculate);
    connect(waveTable, &QTableWidget::itemSelectionChanged, this, &WaveWindow::showChosen);
    connect(copyButton, &QPushButton::clicked, this, &WaveWindow::copyChosen);
}

void WaveWindow::follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) {
    if (numbers_.parseSingle(crystalText))
        crystalBox->setText(crystalText);
    showChip(family, clock);
    recalculate();
}

// The frequency as typed, number or not: the ways' own check words what is wrong with it, as on
// the command line.
std::optional<WaveRequest> WaveWindow::request() const {
    const NumberText::Bounded crystal = numbers_.parseCrystal(crystalBox->text());
    if (!crystal.problem.isEmpty())
        return std::nullopt;
    return WaveRequest{numbers_.parseExact(frequencyBox->text()) *
                           Exact(unitBox->currentData().toLongLong()),
                       crystal.value, family(), timerClock()};
}

void WaveWindow::recalculate() {
    if (copyAction_ == nullptr)
        return; // still being made
    const auto asked = request();
    const QString problem =
        asked ? toQString(waveProblem(*asked)) : numbers_.parseCrystal(crystalBox->text()).problem;
    ways_ = asked && problem.isEmpty() ? waveWays(*asked) : std::vector<WaveWay>{};
    waveTable->setRowCount(static_cast<int>(ways_.size()));
    for (int row = 0; row < waveTable->rowCount(); ++row)
        showWay(row, ways_[std::size_t(row)]);
    noteLabel->setText(problem.isEmpty() ? QStringLiteral("误差 = (实际 − 要求) ÷ 要求；最好的在前")
                                         : problem);
    fitColumns(waveTable, layout::wave::columnTwips);
    waveTable->clearSelection();
    if (!ways_.empty())
        waveTable->selectRow(0); // the best: copying it needs no click
    showChosen();
}

// A way that makes no wave says so in a word; the line below the table says why.
void WaveWindow::showWay(int row, const WaveWay& way) {
    const bool made = way.problem.empty();
    const QString none = QStringLiteral("—");
    const QString remark = !made             ? QStringLiteral("不能")
                           : way.drifts      ? QStringLiteral("略长")
                           : way.clockOutput ? QStringLiteral("不占 CPU")
                                             : QString();
    const QStringList cells{
        toQString(way.label),
        made ? QStringLiteral("%1")
                   .arg(way.reload, countsOf(way.kind) > 256 ? 4 : 2, 16, QLatin1Char('0'))
                   .toUpper()
             : none,
        made ? numbers_.localized(way.achievedHz.fixed(3), false) : none,
        made ? numbers_.localizedSigned(way.errorPercent.fixed(3)) : none,
        toQString(way.pin),
        remark};
    for (int column = 0; column < cells.size(); ++column)
        waveTable->setItem(row, column, new QTableWidgetItem(cells[column]));
}

int WaveWindow::chosenRow() const {
    return waveTable->selectionModel()->hasSelection() ? waveTable->currentRow() : -1;
}

void WaveWindow::showChosen() {
    const int row = chosenRow();
    const WaveWay* way = row >= 0 ? &ways_[std::size_t(row)] : nullptr;
    const bool copyable = way != nullptr && way->problem.empty();
    copyButton->setEnabled(copyable);
    copyAction_->setEnabled(copyable);
    claimTimer(copyable ? way->timer : -1);
    refreshWorking();
    if (way == nullptr)
        return detailLabel->clear();
    detailLabel->setText(!way->problem.empty()
                             ? toQString(way->problem)
                             : QStringLiteral("半周期 %1 个计数%2%3")
                                   .arg(way->counts)
                                   .arg(way->tie ? QStringLiteral("，两侧的计数一样近") : QString(),
                                        way->drifts
                                            ? QStringLiteral("，中断里重装：每半周期略长几个时钟")
                                            : QString()));
}

void WaveWindow::claimsChanged() {
    const int row = chosenRow();
    clashLabel->setText(row >= 0 ? clashWith(ways_[std::size_t(row)].timer) : QString());
}

QString WaveWindow::currentWorking() const {
    const int row = chosenRow();
    const auto asked = request();
    if (row < 0 || !asked)
        return noteLabel->text();
    return workingQText(waveWorking(*asked, ways_[std::size_t(row)]), numbers_);
}

// The chosen way's unit in the language chosen, to the clipboard, said in the window.
void WaveWindow::copyChosen() {
    const int row = chosenRow();
    const auto asked = request();
    const CodeLanguage language = CodeLanguageChoice::language();
    const auto code =
        row >= 0 && asked ? waveCode(*asked, ways_[std::size_t(row)], language) : std::nullopt;
    if (!code) {
        const std::string problem = languageProblem(family(), language);
        noteLabel->setText(problem.empty() ? QStringLiteral("请先在表中选择一种能输出的方法")
                                           : toQString(problem));
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(*code));
    noteLabel->setText(QStringLiteral("已复制%1的%2代码")
                           .arg(toQString(ways_[std::size_t(row)].label),
                                language == CodeLanguage::C ? QString() : QStringLiteral("汇编")));
}

} // namespace tickora
