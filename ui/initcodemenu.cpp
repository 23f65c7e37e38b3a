#include "initcodemenu.h"

#include "calcpass.h"
#include "codelanguagechoice.h"
#include "qtext.h"
#include "timerclaims.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolTip>

#include <memory>

namespace tickora {

QString registerDescription(const TimerRegisters& registers, const TimerSetup& setup) {
    const auto byte = [](std::uint8_t value) {
        return QString::fromStdString(registerByteText(value));
    };
    return QStringLiteral("TH0/TH1 = %1，TL0/TL1 = %2\n%3，%4T")
        .arg(byte(registers.th), byte(registers.tl), toQString(setup.timerMode().registerNote))
        .arg(setup.timerClock);
}

InitCodeMenu::InitCodeMenu(QLineEdit* box)
    : QObject(box)
    , box_(box)
    // Looks like a tooltip, but Qt's own hides as the menu that copied closes, before anyone
    // could read it.
    , note_(new QLabel(box, Qt::ToolTip))
    , noteTimer_(new QTimer(this)) {
    note_->setObjectName(QStringLiteral("copyNote"));
    note_->setAttribute(Qt::WA_ShowWithoutActivating);
    note_->setPalette(QToolTip::palette());
    note_->setFont(QToolTip::font());
    note_->setFrameStyle(QFrame::Box | QFrame::Plain);
    note_->setMargin(2);
    for (int timer = 0; timer <= 4; ++timer)
        copyActions_ << createCopyAction(timer);
    noteTimer_->setSingleShot(true);
    noteTimer_->setInterval(4000); // long enough to read, short enough not to be in the way
    connect(noteTimer_, &QTimer::timeout, note_, &QWidget::hide);
    box_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box_, &QLineEdit::customContextMenuRequested, this, &InitCodeMenu::openMenu);
    connect(&CodeLanguageChoice::instance(), &CodeLanguageChoice::chosen, this, [this] {
        if (shown_ || asked_)
            describeCopies();
    });
}

QAction* InitCodeMenu::createCopyAction(int timer) {
    auto* action =
        new QAction(QStringLiteral("复制定时器 %1 初始化代码%2(&%1)")
                        .arg(timer)
                        .arg(timer < 2 ? QString() : QStringLiteral("（16 位自动重装）")),
                    this);
    action->setObjectName(QStringLiteral("copyTimer%1Code").arg(timer));
    action->setEnabled(false); // until a pass has succeeded
    action->setToolTip(QStringLiteral("请先计算初始值"));
    connect(action, &QAction::triggered, this, [this, timer] { copyCode(timer); });
    action->setVisible(timer < 2 || hasReloadTimer(classicFamily(), timer));
    return action;
}

void InitCodeMenu::showFamily(const ChipFamily& family) {
    for (int timer = 2; timer <= 4; ++timer)
        copyActions_[timer]->setVisible(hasReloadTimer(family, timer));
}

std::optional<TimerSetup> InitCodeMenu::setupFor(int timer) const {
    if (timer < 2)
        return shown_;
    return asked_ ? reloadTimerSetup(*asked_, timer) : std::nullopt;
}

void InitCodeMenu::showSetup(const TimerSetup& setup) {
    const auto registers = splitRegisters(setup.initValue, setup.timerMode());
    if (!registers)
        return;
    const QString description = registerDescription(*registers, setup);
    box_->setToolTip(description);
    box_->setAccessibleDescription(description);
    unshown_ = routineTooShort(setup); // the routine could not keep up
    shown_ = unshown_.isEmpty() ? std::optional(setup) : std::nullopt;
    describeCopies();
}

void InitCodeMenu::showAsked(const TimerSetup& asked) {
    asked_ = asked;
    describeCopies();
}

// What an entry copies, in the language it copies in; greyed where the chip is not written in
// that language, or timer 0 or 1 where no value is shown (why: unshown), and why.
void InitCodeMenu::describeCopies() {
    const CodeLanguage language = CodeLanguageChoice::language();
    const TimerSetup* any = shown_ ? &*shown_ : asked_ ? &*asked_ : nullptr;
    const QString problem = any ? toQString(languageProblem(*any->family, language)) : unshown_;
    const QString inLanguage = language == CodeLanguage::C ? QStringLiteral("C 代码")
                                                           : toQString(languageRow(language).label);
    for (int timer = 0; timer <= 4; ++timer) {
        const bool shown = timer < 2 ? shown_.has_value() : asked_.has_value();
        copyActions_[timer]->setEnabled(problem.isEmpty() && shown);
        copyActions_[timer]->setToolTip(
            !problem.isEmpty() ? problem
            : !shown           ? unshown_
                     : QStringLiteral("定时器 %1 的初始化函数和中断服务程序，%2")
                           .arg(timer)
                           .arg(inLanguage));
        if (timer >= 2 && problem.isEmpty() && shown)
            describeOneMode(timer, inLanguage);
    }
}

// A timer of one mode times the interval in it: greyed where it cannot, and said where its value
// is not the one in the box.
void InitCodeMenu::describeOneMode(int timer, const QString& inLanguage) {
    QAction* action = copyActions_[timer];
    const auto setup = setupFor(timer);
    const QString problem = !setup ? oneModeTooLong(timer, *asked_) : routineTooShort(*setup);
    if (!problem.isEmpty()) {
        action->setEnabled(false);
        action->setToolTip(problem);
        return;
    }
    // A 13- or 8-bit value never equals a 16-bit one.
    if (shown_ && setup->initValue == shown_->initValue && setup->prescale == 0)
        return;
    const QString divided =
        setup->prescale == 0
            ? QString()
            : QStringLiteral("，预分频 %1 = %2（每 %3 个时钟一个计数）")
                  .arg(toQString(reloadTimer(*setup->family, timer)->prescalerName))
                  .arg(setup->prescale)
                  .arg(setup->prescale + 1);
    action->setToolTip(
        QStringLiteral("定时器 %1 按 16 位自动重装计时，初始值 %2%3，不是上面的值\n%4")
            .arg(timer)
            .arg(QStringLiteral("%1").arg(setup->initValue, 4, 16, QLatin1Char('0')).toUpper())
            .arg(divided, inLanguage));
}

void InitCodeMenu::withdraw(const QString& reason) {
    shown_.reset();
    asked_.reset();
    unshown_ = reason;
    for (QAction* action : copyActions()) {
        action->setEnabled(false);
        action->setToolTip(reason);
    }
}

void InitCodeMenu::openMenu(const QPoint& position) {
    // The standard entries (copy, select all) stay; ours follow them.
    std::unique_ptr<QMenu> menu(box_->createStandardContextMenu());
    menu->setToolTipsVisible(true); // a greyed entry says why
    menu->addSeparator();
    menu->addActions(copyActions_);
    menu->exec(box_->mapToGlobal(position));
}

void InitCodeMenu::copyCode(int timer) {
    const auto setup = setupFor(timer);
    if (!setup)
        return;
    const CodeLanguage language = CodeLanguageChoice::language();
    const auto code = timerInitCode(timer, *setup, language);
    if (!code)
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(*code));
    // The main window holds no timer of its own, but its code may share one with a tool's.
    const QString clash = TimerClaims::shared().clash(this, *setup->family, timer);
    showNote(QStringLiteral("已复制定时器 %1 初始化代码").arg(timer) +
             (language == CodeLanguage::C ? QString() : QStringLiteral("（汇编）")) +
             (clash.isEmpty() ? QString() : QStringLiteral("；") + clash));
}

// Said beside the value copied, not in a dialog to dismiss.
void InitCodeMenu::showNote(const QString& text) {
    note_->setText(text);
    note_->setFixedSize(note_->sizeHint());
    note_->move(box_->mapToGlobal(QPoint(0, box_->height())));
    note_->show();
    noteTimer_->start();
}

} // namespace tickora
