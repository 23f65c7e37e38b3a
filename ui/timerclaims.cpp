#include "timerclaims.h"

namespace tickora {

TimerClaims& TimerClaims::shared() {
    static TimerClaims claims;
    return claims;
}

bool TimerClaims::set(const QObject* window, const Claim& claim) {
    const auto found = claims_.find(window);
    if (found != claims_.end() && found->second == claim)
        return false; // nothing new: no window recalculates
    claims_[window] = claim;
    emit changed();
    return true;
}

void TimerClaims::drop(const QObject* window) {
    if (claims_.erase(window) != 0)
        emit changed();
}

QString TimerClaims::holder(const QObject* asking, const ChipFamily& family, int timer) const {
    for (const auto& [window, claim] : claims_)
        if (window != asking && claim.family == &family && timer >= 0 && claim.timer == timer)
            return claim.owner;
    return {};
}

QString TimerClaims::clash(const QObject* asking, const ChipFamily& family, int timer) const {
    const QString window = holder(asking, family, timer);
    return window.isEmpty()
               ? QString()
               : QStringLiteral("「%1」窗口选中的代码也用定时器 %2，两段代码不能同时使用")
                     .arg(window)
                     .arg(timer);
}

} // namespace tickora
