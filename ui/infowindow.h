// A small modal window holding one word-wrapped text and an OK button: the base of the Help
// and About windows.
#pragma once

#include "layout.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tickora {

struct InfoWindowLayout {
    QSize client;
    layout::Twips label;
    layout::Twips button;
};

class InfoWindow : public QDialog {
    Q_OBJECT
protected:
    InfoWindow(const char* name, const QString& caption, const QString& text,
               const InfoWindowLayout& place, QWidget* parent);

    // Creates the window, shows it modally and lets it destroy itself when closed.
    template <typename Window> static void showModalWindow(QWidget* parent) {
        auto* window = new Window(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->exec();
    }

private:
    void Command1_Click();

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
};

} // namespace tickora
