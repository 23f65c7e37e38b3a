// DialogServices over QMessageBox and QInputDialog.
#pragma once

#include "dialogservices.h"

namespace tickora {

inline constexpr auto applicationTitle = "Tickora";

class QtDialogServices : public DialogServices {
public:
    void showMessage(const QString& text) override;
    QString askText(const QString& prompt, const QString& caption,
                    const QString& defaultText) override;
};

} // namespace tickora
