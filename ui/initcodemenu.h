// The register bytes behind the initial value: a tooltip on its box, and two entries (in its
// context menu and the menu bar) that copy initialisation code for timer 0 or timer 1, in the
// language chosen for all windows, offered only while the box holds a value calculated from
// what the window shows.
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
    // The shown value no longer belongs to what the window shows: no copying, and why.
    void withdraw(const QString& reason);
    QList<QAction*> copyActions() const { return {copyTimer0Code_, copyTimer1Code_}; }

private:
    QAction* createCopyAction(int timer);
    void openMenu(const QPoint& position);
    void copyCode(int timer);
    void describeCopies();
    void showNote(const QString& text);

    QLineEdit* box_;
    QAction* copyTimer0Code_;
    QAction* copyTimer1Code_;
    std::optional<TimerSetup> shown_;
    QLabel* note_;      // what was copied, beside the box
    QTimer* noteTimer_; // hides the note a while after it shows
};

// "TH0/TH1 = 0xFC，TL0/TL1 = 0x1C", then on a line of its own "方式 0：TL 只用低 5 位，12T".
QString registerDescription(const TimerRegisters& registers, const TimerSetup& setup);

} // namespace tickora
