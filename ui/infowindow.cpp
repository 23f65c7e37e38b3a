#include "infowindow.h"

#include <QLabel>
#include <QPushButton>

namespace tickora {

InfoWindow::InfoWindow(const char* name, const QString& caption, const QString& text,
                       const InfoWindowLayout& place, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(place.client); // a fixed layout: nothing to gain from resizing

    Label1 = new QLabel(text, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(layout::toPixels(place.label));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);

    Command1 = new QPushButton(QStringLiteral("确定(&E)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(layout::toPixels(place.button));
    // Default button for Enter; Escape closes a QDialog through reject() as a cancel button.
    Command1->setDefault(true);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &InfoWindow::Command1_Click);
}

void InfoWindow::Command1_Click() { close(); }

} // namespace tickora
