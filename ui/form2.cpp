#include "form2.h"

#include "buildinfo.h"

#include <QStringList>

namespace tickora {

QString form2::aboutText() {
    return QStringList{
        QStringLiteral("Quillet：Tickora测试版  REV2.0"),
        QStringLiteral("作者：") + QString::fromUtf8(buildinfo::authorName),
        QStringLiteral("Date:2005/2/1"),
        // Too wide for the label: a line break at each blank, where the word wrap's break
        // would move a character with the font's widths and the display scaling.
        QStringLiteral("本系列软件献给广大懒惰的单片机爱好者 \n若使用中发现不妥及Bug请通知本人修正 "
                       "\n谢谢！"),
        QStringLiteral("作者网址：") + QString::fromUtf8(buildinfo::authorUrl),
    }
        .join(QLatin1Char('\n'));
}

form2::form2(QWidget* parent)
    : InfoWindow("form2", QStringLiteral("Tickora"), aboutText(),
                 {layout::form2::client, layout::form2::label1, layout::form2::command1}, parent) {}

} // namespace tickora
