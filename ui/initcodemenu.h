// The register bytes behind the initial value: a tooltip on its box, and entries (in its
// context menu and the menu bar) that copy initialisation code for each timer the chip has, in
// the language chosen for all windows, offered only while the box holds a value calculated from
// what the window shows. Timers 2 to 4 have one mode, 16-bit auto-reload: theirs times the same
// interval in it whatever the mode buttons say, and says so where that is not the shown value.
#pragma once

#include "registers.h"

#include <QObject>

#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QPoint;
class QTimer;

namespace tickora {

class InitCodeMenu : public QObject {
    Q_OBJECT
public:
    explicit InitCodeMenu(QLineEdit* box);

    // Describes the value a successful pass has just shown in the box.
    void showSetup(const TimerSetup& setup);
    // The interval and crystal the pass was asked for, whatever the mode buttons say: timers 2
    // to 4, of one mode, time it in theirs.
    void showAsked(const TimerSetup& asked);
    // The shown value no longer belongs to what the window shows: no copying, and why.
    void withdraw(const QString& reason);
    // Only the timers the chip has are offered.
    void showFamily(const ChipFamily& family);
    // Timers 0 to 4, those the chip lacks hidden.
    QList<QAction*> copyActions() const { return copyActions_; }

private:
    QAction* createCopyAction(int timer);
    void openMenu(const QPoint& position);
    void copyCode(int timer);
    void describeCopies();
    void describeOneMode(int timer, const QString& inLanguage);
    // The shown interval as the timer times it: the shown setup for 0 and 1.
    std::optional<TimerSetup> setupFor(int timer) const;
    void showNote(const QString& text);

    QLineEdit* box_;
    QList<QAction*> copyActions_;
    std::optional<TimerSetup> shown_, asked_;
    QString unshown_;   // why timers 0 and 1 have no value to copy
    QLabel* note_;      // what was copied, beside the box
    QTimer* noteTimer_; // hides the note a while after it shows
};

// "TH0/TH1 = 0xFC，TL0/TL1 = 0x1C", then on a line of its own "方式 0：TL 只用低 5 位，12T".
QString registerDescription(const TimerRegisters& registers, const TimerSetup& setup);

} // namespace tickora
