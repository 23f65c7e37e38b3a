#include "form1.h"

#include "baudwindow.h"
#include "buildinfo.h"
#include "chipchoice.h"
#include "classicgroupbox.h"
#include "codelanguagechoice.h"
#include "delaywindow.h"
#include "dialogservices.h"
#include "focusring.h"
#include "form2.h"
#include "form3.h"
#include "initcodemenu.h"
#include "planwindow.h"
#include "qtext.h"
#include "selectinglineedit.h"
#include "wavewindow.h"
#include "workingwindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>

namespace tickora {
namespace {

namespace colour {
const QColor magenta(0xFF, 0x00, 0xFF);
const QColor red(0xFF, 0x00, 0x00);
const QColor blue(0x00, 0x00, 0xFF);
const QColor white(0xFF, 0xFF, 0xFF);
} // namespace colour

void setColours(QWidget* box, const QColor& text, const QColor& background) {
    QPalette palette = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, background);
    }
    box->setPalette(palette);
}

// At the classic 12T the group reads as it always has; another clock is shown beside the modes
// it changes, so nobody reads 1T values believing them 12T ones.
QString frameTitle(TimerClock clock) {
    const QString title = QStringLiteral("定时器方式");
    return clock == Clock12T ? title : title + QStringLiteral(" (%1T)").arg(int(clock));
}

QString windowCaption() {
    return QString::fromUtf8(buildinfo::makerLabel) + QStringLiteral(" 工具(Tickora) --") +
           QString::fromUtf8(buildinfo::authorName);
}

} // namespace

Form1::Form1(DialogServices& dialogs, NumberText numbers, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint)
    , dialogs_(dialogs)
    , numbers_(std::move(numbers)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(windowCaption());

    // No layout: the controls keep their places and sizes whatever size the window takes.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    createFrame(client);
    createInputs(client);
    createResults(client);
    createCommand(client);
    createMenus();
    setTabChain();
    connectEvents();
    // The layout is fixed: a larger window would only show empty space, a smaller one clip.
    setFixedSize(layout::form1::client.width(),
                 layout::form1::client.height() + menuBar()->sizeHint().height());
    restoreChip();
    Form_Load();
}

QLabel* Form1::createLabel(QWidget* client, const char* name, const QString& caption,
                           const layout::Twips& where) {
    return layout::place(new QLabel(caption, client), name, where);
}

SelectingLineEdit* Form1::createTextBox(QWidget* client, const char* name,
                                        const layout::Twips& where) {
    return layout::place(new SelectingLineEdit(client), name, where);
}

void Form1::createFrame(QWidget* client) {
    Frame1 = layout::place(new ClassicGroupBox(frameTitle(Clock12T), client), "Frame1",
                           layout::form1::frame1);
    const auto createOption = [this](const char* name, const QString& caption,
                                     const layout::Twips& where) {
        return layout::place(new QRadioButton(caption, Frame1), name, where);
    };
    Option1 = createOption("Option1", QStringLiteral("方式 &0"), layout::form1::option1);
    Option2 = createOption("Option2", QStringLiteral("方式 &1"), layout::form1::option2);
    Option3 = createOption("Option3", QStringLiteral("方式 &2,3"), layout::form1::option3);
}

void Form1::createInputs(QWidget* client) {
    Label2 =
        createLabel(client, "Label2", QStringLiteral("需要的定时时间(uS):"), layout::form1::label2);
    Text1 = createTextBox(client, "Text1", layout::form1::text1);
    Label3 =
        createLabel(client, "Label3", QStringLiteral("晶体振荡频率(MHZ):"), layout::form1::label3);
    Text2 = createTextBox(client, "Text2", layout::form1::text2);
    Label2->setBuddy(Text1);
    Label3->setBuddy(Text2);
}

void Form1::createResults(QWidget* client) {
    Label1 =
        createLabel(client, "Label1", QStringLiteral("定时最大值(uS):"), layout::form1::label1);
    Text3 = createTextBox(client, "Text3", layout::form1::text3);
    Label4 =
        createLabel(client, "Label4", QStringLiteral("定时初始值(Hex):"), layout::form1::label4);
    Text4 = createTextBox(client, "Text4", layout::form1::text4);
    Label5 =
        createLabel(client, "Label5", QStringLiteral("定时最小值(uS):"), layout::form1::label5);
    Text5 = createTextBox(client, "Text5", layout::form1::text5);
    Label6 =
        createLabel(client, "Label6", QStringLiteral("初始值误差(uS):"), layout::form1::label6);
    Text6 = createTextBox(client, "Text6", layout::form1::text6);

    const std::pair<QLabel*, SelectingLineEdit*> pairs[] = {
        {Label1, Text3}, {Label4, Text4}, {Label5, Text5}, {Label6, Text6}};
    for (auto [label, box] : pairs) {
        label->setBuddy(box);
        box->setReadOnly(true);
        connect(box, &QLineEdit::textChanged, box, &SelectingLineEdit::fitFontToText);
    }
    setColours(Text3, colour::magenta, colour::white);
    setColours(Text5, colour::magenta, colour::white);
    setColours(Text6, colour::red, colour::white);
    // The value people copy into their firmware stands out: white on blue.
    setColours(Text4, colour::white, colour::blue);
    initCodeMenu_ = new InitCodeMenu(Text4);
}

void Form1::createCommand(QWidget* client) {
    Command1 = layout::place(new FocusButton(QStringLiteral("计算初始值(&C)"), client), "Command1",
                             layout::form1::command1);
    Command1->setDefault(true);
    chipLabel = createLabel(client, "chipLabel", {}, layout::form1::chipLabel);
    chipLabel->setWordWrap(true);
}

QAction* Form1::createMenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void Form1::createMenus() {
    QMenu* input = menuBar()->addMenu(QStringLiteral("输入(&I)"));
    input->setObjectName(QStringLiteral("VbMenuInput"));
    VbMenuFrequency = createMenuItem(input, "VbMenuFrequency", QStringLiteral("晶体频率(&F)"));
    VbMenuTime = createMenuItem(input, "VbMenuTime", QStringLiteral("定时时间(&T)"));
    createChipMenu();
    createToolsMenu();
    QMenu* info = menuBar()->addMenu(QStringLiteral("说明(&E)"));
    info->setObjectName(QStringLiteral("VbMenuInfo"));
    VbMenuHelp = createMenuItem(info, "VbMenuHelp", QStringLiteral("帮助(&H)"));
    VbMenuAbort = createMenuItem(info, "VbMenuAbort", QStringLiteral("关于(&A)"));
}

// One exclusive choice of family and clock together, remembered across starts.
void Form1::createChipMenu() {
    QMenu* chip = menuBar()->addMenu(QStringLiteral("芯片(&K)"));
    chip->setObjectName(QStringLiteral("chipMenu"));
    auto* choice = new QActionGroup(this);
    const ChipFamily* previous = nullptr;
    for (const ChipChoice& option : chipChoices()) {
        if (previous != nullptr && previous != option.family)
            chip->addSeparator();
        previous = option.family;
        // Access keys 1 to 9, then A, B, ...: one character each, so no two items share one.
        const qsizetype index = chipItems_.size();
        const QChar key =
            index < 9 ? QChar(char16_t(u'1' + index)) : QChar(char16_t(u'A' + index - 9));
        QAction* item =
            createMenuItem(chip, "", option.caption() + QStringLiteral("(&%1)").arg(key));
        item->setObjectName(option.name());
        item->setCheckable(true);
        choice->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, option] { chooseChip(*option.family, option.clock); });
        chipItems_ << item;
    }
}

void Form1::createToolsMenu() {
    QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    tools->setObjectName(QStringLiteral("VbMenuTools"));
    tools->setToolTipsVisible(true); // a greyed copy entry says why
    tools->addActions(initCodeMenu_->copyActions());
    tools->addMenu(createLanguageMenu(QStringLiteral("代码语言(&Y)"), tools));
    tools->addSeparator();
    VbMenuBaud = createMenuItem(tools, "VbMenuBaud", QStringLiteral("波特率计算(&B)..."));
    planMenuItem = createMenuItem(tools, "planMenuItem", QStringLiteral("定时方案(&P)..."));
    delayMenuItem = createMenuItem(tools, "delayMenuItem", QStringLiteral("软件延时计算(&D)..."));
    waveMenuItem = createMenuItem(tools, "waveMenuItem", QStringLiteral("方波输出(&Q)..."));
    tools->addSeparator();
    workingMenuItem = createMenuItem(tools, "workingMenuItem", QStringLiteral("计算过程(&W)..."));
}

QList<QWidget*> Form1::tabChain() const {
    return {Option1, Option2, Option3, Text1, Text2, Text3, Text4, Command1, Text5, Text6};
}

void Form1::setTabChain() {
    const QList<QWidget*> chain = tabChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

bool Form1::focusNextPrevChild(bool next) {
    // Qt lets Tab visit only one button of an exclusive group; here every mode button is a
    // stop of its own, in the designed order.
    const QList<QWidget*> chain = tabChain();
    const qsizetype current = chain.indexOf(QApplication::focusWidget());
    if (current < 0)
        return QMainWindow::focusNextPrevChild(next);
    const qsizetype step = next ? 1 : chain.size() - 1;
    chain[(current + step) % chain.size()]->setFocus(next ? Qt::TabFocusReason
                                                          : Qt::BacktabFocusReason);
    return true;
}

void Form1::connectEvents() {
    connect(Option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &Form1::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &Form1::Option3_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Text1, &SelectingLineEdit::gotFocus, this, &Form1::Text1_GotFocus);
    connect(Text2, &SelectingLineEdit::gotFocus, this, &Form1::Text2_GotFocus);
    connect(Text3, &SelectingLineEdit::gotFocus, this, &Form1::Text3_GotFocus);
    connect(Text4, &SelectingLineEdit::gotFocus, this, &Form1::Text4_GotFocus);
    connect(Text5, &SelectingLineEdit::gotFocus, this, &Form1::Text5_GotFocus);
    connect(Text6, &SelectingLineEdit::gotFocus, this, &Form1::Text6_GotFocus);
    connect(VbMenuFrequency, &QAction::triggered, this, &Form1::VbMenuFrequency_Click);
    connect(VbMenuTime, &QAction::triggered, this, &Form1::VbMenuTime_Click);
    connect(VbMenuHelp, &QAction::triggered, this, &Form1::VbMenuHelp_Click);
    connect(VbMenuAbort, &QAction::triggered, this, &Form1::VbMenuAbort_Click);
    connect(VbMenuBaud, &QAction::triggered, this, &Form1::VbMenuBaud_Click);
    connect(waveMenuItem, &QAction::triggered, this, &Form1::waveMenuItem_Click);
    connect(planMenuItem, &QAction::triggered, this, &Form1::planMenuItem_Click);
    connect(delayMenuItem, &QAction::triggered, this, &Form1::delayMenuItem_Click);
    connect(workingMenuItem, &QAction::triggered, this, &Form1::workingMenuItem_Click);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::followInToolWindows);
    // Typed but not yet calculated: the value shown is the last pass's, not the new input's.
    for (QLineEdit* input : {Text1, Text2})
        connect(input, &QLineEdit::textEdited, this,
                [this] { initCodeMenu_->withdraw(QStringLiteral("输入已改变，请重新计算")); });
}

void Form1::keyPressEvent(QKeyEvent* event) {
    // A main window has no default button of its own: Enter that no control took presses
    // Command1, as in a dialog.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        Command1->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::Form_Load() {
    Text1->setText(QStringLiteral("100"));
    Text2->setText(QStringLiteral("12"));
}

void Form1::chooseMode(int mode) {
    mode_ = mode;
    state_.modeCount = countsOf(family_->modes[mode].kind);
    cal();
}

// Before any mode is chosen the choice is only recorded: a pass then could only say "out of
// range".
void Form1::chooseChip(const ChipFamily& family, std::int32_t clock) {
    family_ = &family;
    state_.timerClock = clock;
    QSettings settings;
    settings.setValue(QStringLiteral("chip/family"), toQString(family.id));
    settings.setValue(QStringLiteral("chip/clock"), clock);
    showChip();
    followInToolWindows();
    initCodeMenu_->withdraw(QStringLiteral("芯片或时钟已改变，请重新计算"));
    if (mode_ >= 0)
        chooseMode(mode_);
    else
        refreshWorking();
}

// The family and clock chosen last time; the classic 8051 at 12T at first, or when what was
// saved is no longer offered.
void Form1::restoreChip() {
    const QSettings settings;
    const auto* family =
        findFamily(settings.value(QStringLiteral("chip/family")).toString().toStdString());
    const int clock = settings.value(QStringLiteral("chip/clock")).toInt();
    const bool offered = family != nullptr && offersClock(*family, clock);
    family_ = offered ? family : &classicFamily();
    state_.timerClock = offered ? clock : Clock12T;
    showChip();
}

// The family and clock as the window shows them: ticked in the menu, the clock in the mode
// group's title, the family beside the calculate button, what each mode is in its tooltip.
void Form1::showChip() {
    const QString id = ChipChoice{family_, state_.timerClock}.name();
    for (QAction* item : chipItems_)
        if (item->objectName() == id)
            item->setChecked(true); // the group unticks the one before

    Frame1->setTitle(frameTitle(TimerClock(state_.timerClock)));
    chipLabel->setText(family_ == &classicFamily() ? QString() : toQString(family_->name));
    initCodeMenu_->showFamily(*family_);
    QRadioButton* const options[] = {Option1, Option2, Option3};
    for (int mode = 0; mode < 3; ++mode)
        options[mode]->setToolTip(toQString(family_->modes[mode].summary));
}

void Form1::Option1_Click() { chooseMode(0); }
void Form1::Option2_Click() { chooseMode(1); }
void Form1::Option3_Click() { chooseMode(2); }
void Form1::Command1_Click() { cal(); }

void Form1::selectWholeText(SelectingLineEdit* box) { box->setSelection(0, box->text().size()); }

void Form1::Text1_GotFocus() { selectWholeText(Text1); }
void Form1::Text2_GotFocus() { selectWholeText(Text2); }
void Form1::Text3_GotFocus() { selectWholeText(Text3); }
void Form1::Text4_GotFocus() { selectWholeText(Text4); }
void Form1::Text5_GotFocus() { selectWholeText(Text5); }
void Form1::Text6_GotFocus() { selectWholeText(Text6); }

void Form1::askAndCalculate(SelectingLineEdit* box, const QString& prompt, const QString& caption,
                            const QString& defaultText) {
    const QString answer = dialogs_.askText(prompt, caption, defaultText);
    if (answer.isEmpty())
        return;
    box->setText(answer);
    cal();
}

void Form1::VbMenuFrequency_Click() {
    askAndCalculate(Text2, QStringLiteral("请输入晶振频率(MHZ)"), QStringLiteral("输入频率值"),
                    QStringLiteral("12"));
}

void Form1::VbMenuTime_Click() {
    askAndCalculate(Text1, QStringLiteral("请输入您需要的定时时间(uS)"),
                    QStringLiteral("输入定时时间"), QStringLiteral("100"));
}

void Form1::VbMenuHelp_Click() { Form3::showModal(this); }

void Form1::VbMenuAbort_Click() { form2::showModal(this); }

// One window of each tool for the program's run, beside the main window the first time, where
// the user left it after that; each follows this window's crystal, family and clock.
template <typename Tool> void Form1::openTool(QPointer<Tool>& tool) {
    if (tool == nullptr) {
        tool = new Tool(Text2->text(), *family_, state_.timerClock, numbers_, this);
        tool->move(placeWindow(deskBeside(this, tool), framedSize(this, tool)));
    } else
        tool->follow(Text2->text(), *family_, state_.timerClock);
    tool->show();
    tool->raise();
    tool->activateWindow();
}

void Form1::VbMenuBaud_Click() { openTool(baudWindow_); }
void Form1::planMenuItem_Click() { openTool(planWindow_); }
void Form1::delayMenuItem_Click() { openTool(delayWindow_); }
void Form1::waveMenuItem_Click() { openTool(waveWindow_); }

void Form1::workingMenuItem_Click() {
    if (workingWindow_ == nullptr)
        workingWindow_ = new WorkingWindow(this);
    workingWindow_->open(currentWorking());
}

// The same pass over the same texts as the boxes were filled by, step by step.
QString Form1::currentWorking() const {
    return workingQText(
        passWorking(Text1->text(), Text2->text(), state_, *family_, mode_, numbers_), numbers_);
}

void Form1::refreshWorking() {
    if (workingWindow_ != nullptr && workingWindow_->isVisible())
        workingWindow_->showText(currentWorking());
}

QList<ToolWindow*> Form1::toolWindows() const {
    return {baudWindow_, planWindow_, delayWindow_, waveWindow_};
}

void Form1::followInToolWindows() {
    for (ToolWindow* tool : toolWindows())
        if (tool != nullptr)
            tool->follow(Text2->text(), *family_, state_.timerClock);
}

void Form1::cal() {
    initCodeMenu_->withdraw(QStringLiteral("计算未成功：结果框中的值不属于当前的设置"));
    refreshWorking(); // before a refusal's message, which waits for the user
    const auto result =
        tickora::cal(Text1->text(), Text2->text(), state_, *family_, numbers_, dialogs_);
    if (result) {
        showResults(result->texts);
        Text6->setToolTip(achievedIntervalText(result->timing));
        initCodeMenu_->showSetup({state_.initValue, mode_, result->timing.intervalUs,
                                  result->timing.crystalMhz, state_.timerClock, family_});
    }
    // Timers 2 to 4 have one mode: they time what was asked whatever the mode buttons say.
    const Exact us = numbers_.parseExact(Text1->text()), mhz = numbers_.parseExact(Text2->text());
    if (us > Exact(0) && mhz > Exact(0))
        initCodeMenu_->showAsked({0, 0, us, mhz, state_.timerClock, family_});
}

// "实际定时 1000.434 uS，误差（要求 − 实际）-0.043%": what the value really times, against what
// was asked, signed as the error box beside it.
QString Form1::achievedIntervalText(const Timing& timing) const {
    return QStringLiteral("实际定时 %1 uS，误差（要求 − 实际）%2%")
        .arg(numbers_.localized(timing.achievedUs().fixed(3), false),
             numbers_.localizedSigned(timing.errorPercent().fixed(3)));
}

void Form1::showResults(const ResultTexts& results) {
    Text3->setText(results.maxTime);
    Text4->setText(results.initValue);
    Text5->setText(results.cycle);
    Text6->setText(results.error);
}

} // namespace tickora
