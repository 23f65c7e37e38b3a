// The About window (lower-case name, as it has always been called).
#pragma once

#include "infowindow.h"

namespace tickora {

class form2 : public InfoWindow {
    Q_OBJECT
public:
    explicit form2(QWidget* parent = nullptr);
    static void showModal(QWidget* parent) { showModalWindow<form2>(parent); }

    static QString aboutText();
};

} // namespace tickora
