#include "bounds.h"

#include "registers.h"

namespace tickora {

std::string crystalProblem(double mhz) {
    if (!(mhz > 0))
        return "请输入有效的晶体频率";
    if (mhz >= lowestCrystalMhz && mhz <= highestCrystalMhz)
        return {};
    return "晶体频率须在 " + shortestText(lowestCrystalMhz) + " 到 " +
           shortestText(highestCrystalMhz) + " MHz 之间";
}

std::string baudRateProblem(double baud) {
    if (!(baud > 0))
        return "波特率无效";
    if (baud >= lowestBaud && baud <= highestBaud)
        return {};
    return "波特率须在 " + shortestText(lowestBaud) + " 到 " + shortestText(highestBaud) + " 之间";
}

} // namespace tickora
