#include "toolwindow.h"

#include "chipchoice.h"
#include "codelanguagechoice.h"
#include "focusring.h"
#include "selectinglineedit.h"
#include "timerclaims.h"
#include "workingwindow.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

namespace tickora {

ToolWindow::ToolWindow(const char* name, const QString& title, QSize client, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , client_(new QWidget(this))
    , clientSize_(client) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    connect(&TimerClaims::shared(), &TimerClaims::changed, this, [this] { claimsChanged(); });
}

ToolWindow::~ToolWindow() { TimerClaims::shared().drop(this); }

void ToolWindow::claimTimer(int timer) {
    claimedTimer_ = timer;
    const bool told =
        isVisible() && TimerClaims::shared().set(this, {&family(), timer, windowTitle()});
    if (!told) // else the claims' signal has called it
        claimsChanged();
}

QString ToolWindow::clashWith(int timer) const {
    return TimerClaims::shared().clash(this, family(), timer);
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QDialog::keyPressEvent(event);
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
        button->click();
    else
        recalculate();
}

// A hidden window's code is not being chosen: it holds no timer.
void ToolWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    claimTimer(claimedTimer_);
}

void ToolWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    TimerClaims::shared().drop(this);
}

ToolWindow::CodeControls ToolWindow::createCodeRow(const layout::CodeRow& row,
                                                   const QString& copyCaption) {
    createLabel("languageLabel", QStringLiteral("语言(&Y):"), row.languageLabel,
                createLanguageBox(client_, row.language));
    auto* copy = layout::place(new FocusButton(copyCaption, client_), "copyButton", row.copy);
    auto* close = layout::place(new FocusButton(QStringLiteral("关闭(&X)"), client_), "closeButton",
                                row.close);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    return {copy, close, layout::place(new QLabel(client_), "clashLabel", row.clash)};
}

QPushButton* ToolWindow::createWorkingButton(const layout::Twips& where) {
    auto* button = layout::place(new FocusButton(QStringLiteral("计算过程(&W)"), client_),
                                 "workingButton", where);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] {
        if (working_ == nullptr)
            working_ = new WorkingWindow(this);
        working_->open(currentWorking());
    });
    return button;
}

void ToolWindow::refreshWorking() {
    if (working_ != nullptr && working_->isVisible())
        working_->showText(currentWorking());
}

QAction* ToolWindow::createMenu(const QString& copyCaption, std::function<void()> copy) {
    auto* bar = new QMenuBar(this);
    QMenu* tools = bar->addMenu(QStringLiteral("工具(&T)"));
    QAction* copyAction = tools->addAction(copyCaption, this, std::move(copy));
    copyAction->setObjectName(QStringLiteral("copyAction"));
    tools->addAction(QStringLiteral("关闭(&X)"), this, &QDialog::close);
    const int barHeight = bar->sizeHint().height();
    bar->setGeometry(0, 0, clientSize_.width(), barHeight);
    client_->setGeometry(QRect(QPoint(0, barHeight), clientSize_));
    setFixedSize(clientSize_.width(), clientSize_.height() + barHeight);
    return copyAction;
}

QLabel* ToolWindow::createLabel(const char* name, const QString& caption,
                                const layout::Twips& where, QWidget* buddy) {
    auto* label = layout::place(new QLabel(caption, buddy->parentWidget()), name, where);
    label->setBuddy(buddy);
    return label;
}

QComboBox* ToolWindow::createChipBox(const layout::Twips& where) {
    chipBox_ = layout::place(new QComboBox(client_), "chipBox", where);
    for (const ChipChoice& choice : chipChoices())
        chipBox_->addItem(choice.caption(), choice.name());
    connect(chipBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const ChipChoice choice = chipChoices().at(index);
        follow(QString(), *choice.family, choice.clock);
    });
    return chipBox_;
}

// Created in tab order: each box, then the label that names it.
ToolWindow::TimeInputs ToolWindow::createTimeInputs(const char* timeName,
                                                    const QString& timeCaption,
                                                    const QList<QPair<QString, int>>& units) {
    namespace at = layout::timeRow;
    TimeInputs inputs{createInputBox(client_, timeName, at::time),
                      layout::place(new QComboBox(client_), "unitBox", at::unit), nullptr};
    createLabel(QByteArray(timeName).replace("Box", "Label").constData(), timeCaption,
                at::timeLabel, inputs.time);
    const QList<QPair<QString, int>> times{
        {QStringLiteral("uS"), 1}, {QStringLiteral("mS"), 1000}, {QStringLiteral("S"), 1'000'000}};
    for (const auto& [unit, scale] : units.isEmpty() ? times : units)
        inputs.unit->addItem(unit, scale);
    inputs.unit->setAccessibleName(QStringLiteral("单位"));
    inputs.crystal = createInputBox(client_, "crystalBox", at::crystal);
    createLabel("crystalLabel", QStringLiteral("晶体频率(MHz)(&M):"), at::crystalLabel,
                inputs.crystal);
    createLabel("chipLabel", QStringLiteral("芯片(&K):"), at::chipLabel, createChipBox(at::chip));
    return inputs;
}

QLineEdit* ToolWindow::createInputBox(QWidget* parent, const char* name,
                                      const layout::Twips& where) {
    auto* box = layout::place(new SelectingLineEdit(parent), name, where);
    connect(box, &SelectingLineEdit::gotFocus, box, &QLineEdit::selectAll);
    return box;
}

QTableWidget* ToolWindow::createTable(const char* name, int columns, const layout::Twips& where,
                                      const QStringList& headers) {
    auto* table = layout::place(new QTableWidget(0, columns, client_), name, where);
    table->setHorizontalHeaderLabels(headers);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false);
    QPalette palette = table->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    table->setPalette(palette);
    return table;
}

void ToolWindow::fitColumns(QTableWidget* table, std::span<const int> designedTwips) {
    for (int column = 0; column + 1 < table->columnCount(); ++column) {
        table->resizeColumnToContents(column);
        table->setColumnWidth(
            column, std::max(layout::toPixels(designedTwips[column]), table->columnWidth(column)));
    }
}

void ToolWindow::showChip(const ChipFamily& family, std::int32_t clock) {
    const QSignalBlocker quiet(chipBox_);
    chipBox_->setCurrentIndex(chipBox_->findData(ChipChoice{&family, clock}.name()));
}

const ChipFamily& ToolWindow::family() const {
    return *chipChoices().at(chipBox_->currentIndex()).family;
}

std::int32_t ToolWindow::timerClock() const {
    return chipChoices().at(chipBox_->currentIndex()).clock;
}

} // namespace tickora
