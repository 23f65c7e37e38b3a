// The modal dialogs the calculator needs, as an interface: the program shows real Qt dialogs,
// tests record what would have been shown.
#pragma once

#include <QString>

namespace tickora {

class DialogServices {
public:
    virtual ~DialogServices() = default;

    // Modal box with the text, an OK button only and the application title; returns when
    // dismissed.
    virtual void showMessage(const QString& text) = 0;

    // Modal one-line question pre-filled with defaultText. Returns the line as edited, or empty
    // text when the user cancels.
    virtual QString askText(const QString& prompt, const QString& caption,
                            const QString& defaultText) = 0;
};

} // namespace tickora
