// The main window as laid out: places, captions, names, tab chain, keys and looks.
#include "fakedialogs.h"
#include "form1.h"
#include "guitest.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <memory>

using namespace tickora;

namespace {
constexpr int twipsPerPixel = 15;

QString withoutAccessMarks(QString caption) { return caption.remove(QLatin1Char('&')); }
} // namespace

class TestForm1Layout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controlsStandWhereDesigned_data();
    void controlsStandWhereDesigned();
    void captionsFitTheirControls();
    void windowHasClientSizeCaptionAndButtons();
    void menusHoldTheirItems();
    void tabWalksTheChainAndWrapsAround();
    void accessKeysReachTheirControls_data();
    void accessKeysReachTheirControls();
    void enterInAnInputBoxPressesCalculate_data();
    void enterInAnInputBoxPressesCalculate();
    void resultBoxesRefuseTypingButCopy();
    void textBoxesAreNamedByTheirLabels();
    void resultBoxesCarryTheirColours();
    void startsWithNoModeAndEmptyResults();

private:
    template <typename T = QWidget> T* child(const char* name) const {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no control named %s", name);
        return widget;
    }

    test::FakeDialogs dialogs;
    std::unique_ptr<Form1> window;
};

void TestForm1Layout::init() {
    dialogs = {};
    window = test::showMainWindow(dialogs, QLocale(QLocale::Chinese, QLocale::China));
    QVERIFY(window != nullptr);
}

void TestForm1Layout::cleanup() { window.reset(); }

void TestForm1Layout::controlsStandWhereDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");

    const auto row = [](const char* name, const char* kind, const QString& caption,
                        const char* container, QRect twips) {
        QTest::newRow(name) << name << kind << caption << container << twips;
    };
    // clang-format off
    row("Frame1", "QGroupBox", "定时器方式", "client", {240, 120, 1695, 1335});
    row("Option1", "QRadioButton", "方式 &0", "Frame1", {240, 240, 1335, 255});
    row("Option2", "QRadioButton", "方式 &1", "Frame1", {240, 600, 1335, 255});
    row("Option3", "QRadioButton", "方式 &2,3", "Frame1", {240, 960, 1335, 255});
    row("Label1", "QLabel", "定时最大值(uS):", "client", {120, 1800, 1455, 255});
    row("Label2", "QLabel", "需要的定时时间(uS):", "client", {2400, 360, 1815, 255});
    row("Text1", "QLineEdit", "", "client", {4200, 240, 975, 375});
    row("Label3", "QLabel", "晶体振荡频率(MHZ):", "client", {2400, 1080, 1695, 255});
    row("Text2", "QLineEdit", "", "client", {4200, 960, 975, 375});
    row("Text3", "QLineEdit", "", "client", {1560, 1680, 975, 375});
    row("Label4", "QLabel", "定时初始值(Hex):", "client", {120, 2520, 1455, 255});
    row("Text4", "QLineEdit", "", "client", {1560, 2400, 975, 375});
    row("Command1", "QPushButton", "计算初始值(&C)", "client", {1800, 3000, 1575, 375});
    row("Label5", "QLabel", "定时最小值(uS):", "client", {2760, 1800, 1455, 255});
    row("Text5", "QLineEdit", "", "client", {4200, 1680, 975, 375});
    row("Label6", "QLabel", "初始值误差(uS):", "client", {2760, 2520, 1575, 255});
    row("Text6", "QLineEdit", "", "client", {4200, 2400, 975, 375});
    // clang-format on
}

void TestForm1Layout::controlsStandWhereDesigned() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, container);
    QFETCH(QRect, twips);

    QWidget* control = child(name.toLatin1().constData());
    QVERIFY(control->inherits(kind.toLatin1().constData()));
    QWidget* expectedParent = container == QLatin1String("client")
                                  ? window->centralWidget()
                                  : child(container.toLatin1().constData());
    QCOMPARE(control->parentWidget(), expectedParent);
    const QRect pixels(twips.x() / twipsPerPixel, twips.y() / twipsPerPixel,
                       twips.width() / twipsPerPixel, twips.height() / twipsPerPixel);
    QCOMPARE(control->geometry(), pixels);

    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        QCOMPARE(frame->title(), caption);
}

void TestForm1Layout::captionsFitTheirControls() {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->objectName()));
        QVERIFY2(label->fontMetrics().height() <= label->height(), qPrintable(label->objectName()));
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const int textWidth =
            button->fontMetrics().horizontalAdvance(withoutAccessMarks(button->text()));
        QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->objectName()));
        QVERIFY2(textWidth < button->width(), qPrintable(button->objectName()));
    }
    auto* frame = child<QGroupBox>("Frame1");
    QVERIFY(frame->minimumSizeHint().width() <= frame->width());
    QVERIFY(frame->fontMetrics().horizontalAdvance(frame->title()) < frame->width());
}

void TestForm1Layout::windowHasClientSizeCaptionAndButtons() {
    QCOMPARE(window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(window->centralWidget()->size(), QSize(5310 / twipsPerPixel, 3585 / twipsPerPixel));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet 工具(Tickora) --Tickora Team"));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));

    // Resizing the window moves and scales no control.
    const QRect before = child("Command1")->geometry();
    window->resize(window->size() + QSize(120, 80));
    QCOMPARE(child("Command1")->geometry(), before);
    QVERIFY(window->width() > 5310 / twipsPerPixel);
}

void TestForm1Layout::menusHoldTheirItems() {
    const QList<QAction*> top = window->menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("输入(&I)"));
    QCOMPARE(top[1]->text(), QStringLiteral("说明(&E)"));
    const auto itemsOf = [](QMenu* menu) {
        QStringList items;
        for (QAction* action : menu->actions())
            items << action->objectName() + QLatin1Char('=') + action->text();
        return items;
    };
    QCOMPARE(itemsOf(child<QMenu>("VbMenuInput")),
             (QStringList{"VbMenuFrequency=晶体频率(&F)", "VbMenuTime=定时时间(&T)"}));
    QCOMPARE(itemsOf(child<QMenu>("VbMenuInfo")),
             (QStringList{"VbMenuHelp=帮助(&H)", "VbMenuAbort=关于(&A)"}));
    QCOMPARE(top[0]->menu(), child<QMenu>("VbMenuInput"));
    QCOMPARE(top[1]->menu(), child<QMenu>("VbMenuInfo"));
}

void TestForm1Layout::tabWalksTheChainAndWrapsAround() {
    const QStringList chain{"Option1", "Option2",  "Option3", "Text1", "Text2",  "Text3",
                            "Text4",   "Command1", "Text5",   "Text6", "Option1"};
    QCOMPARE(QApplication::focusWidget()->objectName(), chain.first());
    QStringList walked{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, chain);
}

void TestForm1Layout::accessKeysReachTheirControls_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");

    // clang-format off
    QTest::newRow("Alt+0 mode 0") << int(Qt::Key_0) << "Option1";
    QTest::newRow("Alt+1 mode 1") << int(Qt::Key_1) << "Option2";
    QTest::newRow("Alt+2 modes 2,3") << int(Qt::Key_2) << "Option3";
    QTest::newRow("Alt+C calculate") << int(Qt::Key_C) << "Command1";
    QTest::newRow("Alt+I input menu") << int(Qt::Key_I) << "VbMenuInput";
    QTest::newRow("Alt+E info menu") << int(Qt::Key_E) << "VbMenuInfo";
    // clang-format on
}

void TestForm1Layout::accessKeysReachTheirControls() {
    QFETCH(int, key);
    QFETCH(QString, target);

    if (target.startsWith(QLatin1String("VbMenu"))) {
        QTest::keyClick(window.get(), Qt::Key(key), Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(),
                     child<QMenu>(target.toLatin1().constData()));
        QApplication::activePopupWidget()->close();
        return;
    }
    auto* button = child<QAbstractButton>(target.toLatin1().constData());
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::keyClick(window.get(), Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(clicked.size(), 1);
    if (button->isCheckable())
        QVERIFY(button->isChecked());
}

void TestForm1Layout::enterInAnInputBoxPressesCalculate_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    // clang-format off
    QTest::newRow("Return in Text1") << "Text1" << int(Qt::Key_Return);
    QTest::newRow("Return in Text2") << "Text2" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in Text2") << "Text2" << int(Qt::Key_Enter);
    // clang-format on
}

void TestForm1Layout::enterInAnInputBoxPressesCalculate() {
    QFETCH(QString, box);
    QFETCH(int, key);
    QSignalSpy clicked(child<QPushButton>("Command1"), &QPushButton::clicked);
    QWidget* input = child(box.toLatin1().constData());
    input->setFocus();
    const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(input, Qt::Key(key), modifiers);
    QCOMPARE(clicked.size(), 1);
}

void TestForm1Layout::resultBoxesRefuseTypingButCopy() {
    auto* result = child<QLineEdit>("Text4");
    result->setText(QStringLiteral("FF9C"));
    QCOMPARE(result->focusPolicy(), Qt::StrongFocus);
    result->setFocus();
    QTest::keyClicks(result, QStringLiteral("12"));
    QTest::keyClick(result, Qt::Key_Backspace);
    QCOMPARE(result->text(), QStringLiteral("FF9C"));
    QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(result->selectedText(), QStringLiteral("FF9C"));
    QApplication::clipboard()->clear();
    QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("FF9C"));
}

void TestForm1Layout::textBoxesAreNamedByTheirLabels() {
    const std::pair<const char*, const char*> pairs[] = {{"Label2", "Text1"}, {"Label3", "Text2"},
                                                         {"Label1", "Text3"}, {"Label4", "Text4"},
                                                         {"Label5", "Text5"}, {"Label6", "Text6"}};
    for (auto [labelName, boxName] : pairs) {
        auto* label = child<QLabel>(labelName);
        QCOMPARE(label->buddy(), child(boxName));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child(boxName));
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Name), label->text());
    }
}

void TestForm1Layout::resultBoxesCarryTheirColours() {
    const auto colours = [this](const char* name) {
        const QPalette palette = child(name)->palette();
        return std::pair{palette.color(QPalette::Text).rgb() & 0xFFFFFF,
                         palette.color(QPalette::Base).rgb() & 0xFFFFFF};
    };
    QCOMPARE(colours("Text3").first, 0xFF00FFu);
    QCOMPARE(colours("Text5").first, 0xFF00FFu);
    QCOMPARE(colours("Text6").first, 0xFF0000u);
    QCOMPARE(colours("Text4"), (std::pair{0xFFFFFFu, 0x0000FFu}));
    QCOMPARE(colours("Text1"), colours("Text2"));
    QCOMPARE(colours("Text1").second,
             QApplication::palette().color(QPalette::Base).rgb() & 0xFFFFFF);
}

void TestForm1Layout::startsWithNoModeAndEmptyResults() {
    for (const char* name : {"Option1", "Option2", "Option3"})
        QVERIFY(!child<QRadioButton>(name)->isChecked());
    QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("100"));
    QCOMPARE(child<QLineEdit>("Text2")->text(), QStringLiteral("12"));
    for (const char* name : {"Text3", "Text4", "Text5", "Text6"})
        QVERIFY(child<QLineEdit>(name)->text().isEmpty());
    QCOMPARE(window->state().modeCount, 0);
    QVERIFY(dialogs.messages.isEmpty());
}

TICKORA_GUI_TEST_MAIN(TestForm1Layout)
#include "test_form1_layout.moc"
