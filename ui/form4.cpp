#include "form4.h"

#include "focusring.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace tickora {
namespace {

constexpr double standardRates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
// Beyond about 2 % the receiver samples the wrong bit by the end of a frame.
constexpr double reliableErrorPercent = 2.0;
const QColor unreliableBackground(0xFF, 0xD8, 0xD8);

} // namespace

Form4::Form4(const QString& crystalText, TimerClock clock, NumberText numbers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , numbers_(std::move(numbers)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("波特率计算"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(layout::form4::client);
    createInputs();
    createTable();
    createButtons();
    Text1->setText(crystalText);
    Combo1->setCurrentIndex(Combo1->findData(int(clock)));
    Text2->setText(QStringLiteral("28800"));
    connectEvents();
    recalculate();
    Text1->setFocus();
}

QLabel* Form4::createLabel(const char* name, const QString& caption, const layout::Twips& where,
                           QWidget* buddy) {
    auto* label = layout::place(new QLabel(caption, this), name, where);
    label->setBuddy(buddy);
    return label;
}

// Created in tab order: each box, then the label that names it.
void Form4::createInputs() {
    using namespace layout::form4;
    Text1 = layout::place(new QLineEdit(this), "Text1", text1);
    createLabel("Label1", QStringLiteral("晶体振荡频率(&M):"), label1, Text1);
    Combo1 = layout::place(new QComboBox(this), "Combo1", combo1);
    for (const TimerClock clock : {Clock12T, Clock6T, Clock1T})
        Combo1->addItem(QStringLiteral("%1T").arg(int(clock)), int(clock));
    createLabel("Label2", QStringLiteral("时钟(&K):"), label2, Combo1);
    Combo2 = layout::place(new QComboBox(this), "Combo2", combo2);
    Combo2->addItems({QStringLiteral("定时器 1，SMOD = 0"), QStringLiteral("定时器 1，SMOD = 1"),
                      QStringLiteral("定时器 2 (8052)")});
    createLabel("Label3", QStringLiteral("波特率发生器(&G):"), label3, Combo2);
    Text2 = layout::place(new QLineEdit(this), "Text2", text2);
    createLabel("Label4", QStringLiteral("自定义波特率(&B):"), label4, Text2);
    Label5 = layout::place(new QLabel(this), "Label5", label5);
}

void Form4::createTable() {
    Grid1 = layout::place(new QTableWidget(rows, 5, this), "Grid1", layout::form4::grid1);
    Grid1->setHorizontalHeaderLabels({QStringLiteral("波特率"), QStringLiteral("重装值"),
                                      QStringLiteral("实际波特率"), QStringLiteral("误差"),
                                      QStringLiteral("说明")});
    for (int column = 0; column < 4; ++column)
        Grid1->setColumnWidth(column, layout::toPixels(layout::form4::columnTwips[column]));
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->verticalHeader()->hide();
    // Every row in view at once: the height of a line of text and a little air.
    Grid1->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    Grid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setTabKeyNavigation(false);
    Grid1->setAccessibleName(QStringLiteral("波特率表"));
}

void Form4::createButtons() {
    Command1 = layout::place(new FocusButton(QStringLiteral("复制初始化代码(&C)"), this),
                             "Command1", layout::form4::command1);
    Command1->setDefault(true);
    Command2 = layout::place(new FocusButton(QStringLiteral("关闭(&X)"), this), "Command2",
                             layout::form4::command2);
}

void Form4::connectEvents() {
    connect(Text1, &QLineEdit::textChanged, this, &Form4::recalculate);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form4::recalculate);
    connect(Combo2, &QComboBox::currentIndexChanged, this, &Form4::recalculate);
    connect(Text2, &QLineEdit::textChanged, this, &Form4::recalculate);
    connect(Grid1, &QTableWidget::itemSelectionChanged, this, &Form4::Grid1_SelectionChanged);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);
}

std::optional<double> Form4::rateOfRow(int row) const {
    if (row < rows - 1)
        return standardRates[row];
    const auto custom = numbers_.parseSingle(Text2->text());
    if (!custom || !(*custom > 0))
        return std::nullopt;
    return *custom;
}

BaudGenerator Form4::generator() const { return BaudGenerator(Combo2->currentIndex()); }
TimerClock Form4::timerClock() const { return TimerClock(Combo1->currentData().toInt()); }

BaudRequest Form4::request(double baud) const {
    return {generator(), crystalMhz_.value_or(0), timerClock(), baud};
}

// Every row again from the inputs; a row without a value says why in its remark.
void Form4::recalculate() {
    const auto crystal = numbers_.parseSingle(Text1->text());
    crystalMhz_ = crystal && *crystal > 0 ? crystal : std::nullopt;
    const bool offered = generatorOffered(generator(), timerClock());
    Label5->setText(!crystalMhz_ ? QStringLiteral("请输入有效的晶体频率")
                    : !offered ? QStringLiteral("1T 芯片的定时器 2 各不相同，不提供")
                               : QStringLiteral("误差超过 ±2% 的行不可靠"));
    for (int row = 0; row < rows; ++row) {
        const auto baud = rateOfRow(row);
        const auto setting = baud && crystalMhz_
                                 ? baudSetting(generator(), *crystalMhz_, timerClock(), *baud)
                                 : std::nullopt;
        const bool unreachable = crystalMhz_ && offered && baud && !setting;
        const QString remark = !crystalMhz_  ? QStringLiteral("晶体频率无效")
                               : !offered    ? QStringLiteral("不提供")
                               : !baud       ? QStringLiteral("波特率无效")
                               : unreachable ? QStringLiteral("超出重装范围")
                               : std::abs(setting->errorPercent) > reliableErrorPercent
                                   ? QStringLiteral("误差过大")
                                   : QString();
        const QString rate = baud ? numbers_.formatPlain(*baud, *baud == std::floor(*baud) ? 0 : 1)
                                  : QStringLiteral("自定义");
        showRow(row, rate, setting, unreachable, remark);
    }
    Grid1_SelectionChanged();
}

void Form4::showRow(int row, const QString& rate, const std::optional<BaudSetting>& setting,
                    bool unreachable, const QString& remark) {
    settings_[row] = setting;
    const bool timer2 = generator() == BaudGenerator::Timer2;
    const QString noValue = unreachable ? QStringLiteral("无法实现") : QStringLiteral("—");
    const QStringList cells{
        rate,
        setting ? QStringLiteral("%1")
                      .arg(setting->reload, timer2 ? 4 : 2, 16, QLatin1Char('0'))
                      .toUpper()
                : noValue,
        setting ? numbers_.formatPlain(setting->actualBaud, 1) : QStringLiteral("—"),
        setting ? numbers_.formatSigned(setting->errorPercent, 2) + QLatin1Char('%')
                : QStringLiteral("—"),
        remark};
    const bool unreliable = setting && std::abs(setting->errorPercent) > reliableErrorPercent;
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (unreliable)
            item->setBackground(unreliableBackground);
        Grid1->setItem(row, column, item);
    }
}

void Form4::Grid1_SelectionChanged() {
    const int row = Grid1->currentRow();
    Command1->setEnabled(row >= 0 && Grid1->selectionModel()->hasSelection() &&
                         settings_[row].has_value());
}

void Form4::Command1_Click() {
    const int row = Grid1->currentRow();
    const auto baud = rateOfRow(row);
    if (row < 0 || !settings_[row] || !baud)
        return;
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(baudInitCode(request(*baud), *settings_[row])));
}

} // namespace tickora
