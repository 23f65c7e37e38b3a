// The square-wave window: every way the chip makes a frequency, best first, the error of each,
// and the code for the one chosen.
#pragma once

#include "layout.h"
#include "numbertext.h"
#include "toolwindow.h"
#include "wave.h"

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tickora {

class WaveWindow : public ToolWindow {
    Q_OBJECT
public:
    WaveWindow(const QString& crystalText, const ChipFamily& family, std::int32_t clock,
               NumberText numbers, QWidget* parent);

    void follow(const QString& crystalText, const ChipFamily& family, std::int32_t clock) override;

protected:
    QString currentWorking() const override;
    void claimsChanged() override;

private:
    void createInputs();
    void createTable();
    void connectEvents();
    std::optional<WaveRequest> request() const;
    void recalculate() override;
    void showWay(int row, const WaveWay& way);
    void showChosen();
    void copyChosen();
    int chosenRow() const; // -1 while no way is chosen

    NumberText numbers_;
    QLineEdit* frequencyBox = nullptr;
    QComboBox* unitBox = nullptr;
    QLineEdit* crystalBox = nullptr;
    QLabel* noteLabel = nullptr;
    QTableWidget* waveTable = nullptr;
    QLabel* detailLabel = nullptr;
    QLabel* clashLabel = nullptr;
    QPushButton* copyButton = nullptr;
    QAction* copyAction_ = nullptr;
    std::vector<WaveWay> ways_;
};

} // namespace tickora
