// The plan window: the ways to time an interval of any length as ticks of one of the family's
// timers, the code that does it, and what register values time or give as a baud rate.
#pragma once

#include "layout.h"
#include "numbertext.h"
#include "plan.h"
#include "toolwindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tickora {

class PlanWindow : public ToolWindow {
    Q_OBJECT
public:
    PlanWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
               NumberText numbers, QWidget* parent);

    void follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) override;

private:
    void createInputs();
    void createTable();
    void createReadBack();
    void connectEvents();
    std::optional<Exact> crystalMhz() const;
    std::optional<PlanRequest> request() const;
    void recalculate() override;
    void showPlan(int row, const TickPlan& plan);
    void showChosen();
    void readBack();
    void copyChosen();
    void claimsChanged() override;
    QString currentWorking() const override;
    int chosenRow() const; // -1 while no plan is chosen
    // The timers another window's chosen code holds, a bit each: plans on them rank last.
    unsigned heldTimers() const;

    NumberText numbers_;
    QLineEdit* intervalBox = nullptr;
    QComboBox* unitBox = nullptr;
    QLineEdit* crystalBox = nullptr;
    QLabel* noteLabel = nullptr;
    QTableWidget* planTable = nullptr;
    QLabel* detailLabel = nullptr; // the chosen plan's achieved interval, error in ppm, rate
    QLabel* clashLabel = nullptr;  // another window's code on the chosen plan's timer
    QPushButton* copyButton = nullptr;
    QComboBox* readModeBox = nullptr;
    QLineEdit* highBox = nullptr;
    QLineEdit* lowBox = nullptr;
    QLabel* readResult = nullptr;
    QComboBox* readGeneratorBox = nullptr;
    QLineEdit* baudReloadBox = nullptr;
    QLabel* baudResult = nullptr;
    QAction* copyAction_ = nullptr;
    std::vector<TickPlan> plans_;
    unsigned rankedAround_ = 0; // heldTimers() when the plans were ranked
};

} // namespace tickora
