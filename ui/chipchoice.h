// Every family with each timer clock it offers, as both windows list them.
#pragma once

#include "chipfamily.h"
#include "qtext.h"

#include <QList>

namespace tickora {

struct ChipChoice {
    const ChipFamily* family;
    std::int32_t clock;

    QString caption() const {
        return QStringLiteral("%1，%2T").arg(toQString(family->name)).arg(clock);
    }
    // A name for the menu item or list entry: "chip_stc15_1T".
    QString name() const {
        return QStringLiteral("chip_%1_%2T").arg(toQString(family->id)).arg(clock);
    }
};

inline QList<ChipChoice> chipChoices() {
    QList<ChipChoice> choices;
    for (const ChipFamily& family : chipFamilies())
        for (const std::int32_t clock : family.clocks)
            if (clock != 0)
                choices.append({&family, clock});
    return choices;
}

} // namespace tickora
