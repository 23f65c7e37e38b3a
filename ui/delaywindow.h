// The delay window: a busy-wait delay exact to the clock, fixed or by argument, made of loops or
// of a timer's overflows, what it achieves and the sum that makes it, and the code that waits it.
#pragma once

#include "delay.h"
#include "layout.h"
#include "numbertext.h"
#include "toolwindow.h"

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tickora {

class DelayWindow : public ToolWindow {
    Q_OBJECT
public:
    DelayWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
                NumberText numbers, QWidget* parent);

    void follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) override;

protected:
    QString currentWorking() const override;
    void claimsChanged() override;

private:
    void createInputs();
    void createButtons();
    void connectEvents();
    std::optional<DelayRequest> request() const;
    void recalculate() override;
    QString workingText(const DelayRequest& asked, const DelayResult& result) const;
    void copyDelay();

    NumberText numbers_;
    QLineEdit* delayBox = nullptr;
    QComboBox* unitBox = nullptr;
    QLineEdit* crystalBox = nullptr;
    QComboBox* kindBox = nullptr;
    QComboBox* methodBox = nullptr; // loops, or a timer's overflows: -1, or the timer
    QLabel* clashLabel = nullptr;
    QLabel* workingLabel = nullptr;
    QLabel* noteLabel = nullptr;
    QPushButton* copyButton = nullptr;
    QAction* copyAction_ = nullptr;
};

} // namespace tickora
