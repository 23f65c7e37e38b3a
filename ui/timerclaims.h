// The timers the tool windows' chosen code takes, so that a window can say when another's
// takes the same one: two units pasted into one program must not share a timer.
#pragma once

#include "chipfamily.h"

#include <QObject>
#include <QString>

#include <map>

namespace tickora {

class TimerClaims : public QObject {
    Q_OBJECT
public:
    struct Claim {
        const ChipFamily* family = nullptr;
        int timer = -1; // -1: the chosen code takes no numbered timer
        QString owner;  // the window's title, as the other window names it

        friend bool operator==(const Claim&, const Claim&) = default;
    };

    static TimerClaims& shared();

    // Whether the claim was news, which the other windows were then told of.
    bool set(const QObject* window, const Claim& claim);
    void drop(const QObject* window);
    // The title of another window whose chosen code takes that timer of that family; empty
    // where none does.
    QString holder(const QObject* asking, const ChipFamily& family, int timer) const;
    // "「定时方案」窗口选中的代码也用定时器 2，两段代码不能同时使用" where another window's
    // chosen code takes that timer of that family; empty where none does.
    QString clash(const QObject* asking, const ChipFamily& family, int timer) const;

signals:
    void changed();

private:
    std::map<const QObject*, Claim> claims_;
};

} // namespace tickora
