#include "form3.h"

namespace tickora {

// The six blanks after the colon mark the end of the first line: a line break ends it there, as
// the word wrap's break moves with each font's widths and display scaling.
const QString Form3::helpText = QStringLiteral(
    "这个估计大部分51爱好者都会用吧：      \n在方式选择栏中先选择定时器工作方式，输入你需要的定时"
    "时间及晶体振荡频率，然后按下计算就可以了。在定时初始值栏中即可得到你要的值了。");

Form3::Form3(QWidget* parent)
    : InfoWindow("Form3", QStringLiteral("说明"), helpText,
                 {layout::form3::client, layout::form3::label1, layout::form3::command1}, parent) {}

} // namespace tickora
