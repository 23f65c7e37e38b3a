// The Help window.
#pragma once

#include "infowindow.h"

namespace tickora {

class Form3 : public InfoWindow {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);
    static void showModal(QWidget* parent) { showModalWindow<Form3>(parent); }

    static const QString helpText;
};

} // namespace tickora
